// libFuzzer harness: the input chooses what lies under the three stored names (missing, a
// sub-key, or a value of any kind and bytes), then the form storage restores. A crash, a
// sanitizer report, a key left open or a position outside its control's range is a finding.
// Build and run: tools/fuzz/run.sh [seconds]
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "tests/support/StorageForm.h"

namespace {
constexpr char kKey[] = "Software\\Kelvane\\Form1";
const char* const kNames[] = {"FormVersion", "udBoostOffTemp_Position", "udBoostOnTemp_Position"};

struct TInput {
  const std::uint8_t* Data;
  std::size_t Size;
  std::uint8_t Byte() {
    if (!Size) return 0;
    --Size;
    return *Data++;
  }
};

struct TWorld {
  TSimPlatform Sim;
  std::unique_ptr<TApplication> App = std::make_unique<TApplication>(Sim.Platform());
  TStorageForm* Form = App->CreateForm<TStorageForm>();
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TWorld* world = new TWorld;
  TSimRegistry& reg = world->Sim.Registry;
  TStorageForm& form = *world->Form;
  reg.DeleteKey(HKEY_CURRENT_USER, "Software\\Kelvane");
  reg.ClearFaults();
  form.udBoostOffTemp->SetPosition(55);
  form.udBoostOnTemp->SetPosition(65);

  TInput in{data, size};
  for (const char* name : kNames) {
    std::uint8_t mode = in.Byte();
    if (mode % 4 == 0) continue;
    if (mode % 4 == 1) {
      reg.CreateKey(HKEY_CURRENT_USER, std::string(kKey) + "\\" + name);
      continue;
    }
    std::uint32_t kind = in.Byte() % 13;
    std::size_t length = in.Byte();
    std::vector<std::uint8_t> bytes;
    while (length-- && in.Size) bytes.push_back(in.Byte());
    reg.SetValue(HKEY_CURRENT_USER, kKey, name, kind, bytes);
  }
  if (in.Byte() % 8 == 0)
    reg.InjectFault(static_cast<TRegOp>(in.Byte() % 5), "", ERROR_MORE_DATA + in.Byte() % 3,
                    1 + in.Byte() % 3, in.Byte() % 4);
  try {
    form.FormStorage1->RestoreState();
  } catch (const Exception&) {
  }
  if (reg.OpenKeyCount() != 0) std::abort();
  for (TUpDown* ud : {form.udBoostOffTemp, form.udBoostOnTemp})
    if (ud->Position() < ud->Min() || ud->Position() > ud->Max()) std::abort();
  return 0;
}
