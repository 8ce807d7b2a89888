// What the stand-in driver (pawniodriver.c) cannot do itself, in a DLL it imports and Wine's
// device host loads beside it: the simulated PawnIO device with LpcIO over the simulated
// Super I/O and sensor chip of the native tests, the log, the bus lock's check. Answers each
// request as PawnIO's driver.cpp does: the statuses are the driver's, which the program gets
// as the same errors PawnIO's library would give. The chip's thermal model runs ten times
// faster than real time, so the fan line switches within a few refreshes.
//
// The simulated machine is made afresh when a handle opens while none is open, from the
// scenario files beside this DLL (kScenarios). The module the program loads decides the
// module: the signed stand-in, the old one ("LpcIO 0.1.5 stand-in, signed"), or one refused.
//
// Beside itself it writes pawnio-log.txt, one line per event the tests read:
//   cpu N         a read of the processor's register (0x50)
//   fan 0xNN      a write of the fan line
//   slot N        the module's slot selected: the program looks for the chip
//   unlocked F    a call of the module's function F made without the bus lock held
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/sim/SimChip.h"
#include "platform/sim/SimPawnIo.h"
#include "platform/win32/Win32Api.h"

namespace {
constexpr std::uint64_t kSpeedUp = 10;

// A file of this name beside the DLL changes the simulated machine so.
struct TScenario {
  const char* File;
  void (*Apply)(TSimPawnIo& pawnIo);
};
const TScenario kScenarios[] = {
    {"driver-2.0", [](TSimPawnIo& p) { p.DriverVersion = 0; }},  // no version answered
    {"driver-1.0", [](TSimPawnIo& p) { p.DriverVersion = 0, p.FirstRelease = true; }},
    // The firmware setup's "floppy disabled": CR30 cleared, the base left at 0x3F0.
    {"floppy-off", [](TSimPawnIo& p) { p.SuperIo.Devices[0x00].Active = false; }},
};

// PawnIO's control codes (pawnio_um.h).
constexpr ULONG kLoadBinary = 0xA1B22084;
constexpr ULONG kExecute = 0xA1B22104;
constexpr ULONG kVersion = 0xA1B22184;
constexpr std::size_t kNameSize = 32;

constexpr NTSTATUS kSuccess = 0;
constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001);
constexpr NTSTATUS kNotImplemented = static_cast<NTSTATUS>(0xC0000002);
constexpr NTSTATUS kInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS kInvalidSignature = static_cast<NTSTATUS>(0xC000A000);

// The driver's status behind each answer of the simulated device.
NTSTATUS Status(THResult result) {
  struct TPair {
    THResult Result;
    NTSTATUS Status;
  };
  static const TPair kPairs[] = {
      {S_OK, kSuccess},
      {E_INVALIDARG, kInvalidParameter},
      {E_ACCESSDENIED, static_cast<NTSTATUS>(0xC0000022)},
      {kPawnIoNoSuchName, static_cast<NTSTATUS>(0xC0000034)},     // OBJECT_NAME_NOT_FOUND
      {kPawnIoNotReady, static_cast<NTSTATUS>(0xC00000A3)},       // DEVICE_NOT_READY
      {kPawnIoAlreadyLoaded, static_cast<NTSTATUS>(0xC0000510)},  // ALREADY_INITIALIZED
      {kPawnIoNotFound, static_cast<NTSTATUS>(0xC0000225)},       // NOT_FOUND
      {kPawnIoUnknownCode, kNotImplemented},
      {kPawnIoUnsuccessful, kUnsuccessful},
  };
  for (const TPair& pair : kPairs)
    if (pair.Result == result) return pair.Status;
  return kInvalidSignature;  // the signature check's refusal
}

// This library's folder, with its "\\".
std::string Folder() {
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&Folder), &self);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(self, path, MAX_PATH);
  std::string file(path);
  return file.substr(0, file.rfind('\\') + 1);
}

// Opened for each line: the driver outlives the tests' removal of the log.
void Note(const std::string& line) {
  if (FILE* log = std::fopen((Folder() + "pawnio-log.txt").c_str(), "a")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
}

// The chip's accesses, logged on their way to the simulated chip.
class TLoggingChip : public IPortBus {
 public:
  TLoggingChip() : FChip([] { return GetTickCount64() * kSpeedUp; }) {
    FChip.UseThermalModel(57, 33);
    FChip.SetLogging(false);
  }
  std::uint8_t In(std::uint16_t port) override {
    std::uint8_t value = FChip.In(port);
    if (port == TSimChip::DataPort && FIndex == 0x50) Note("cpu " + std::to_string(value));
    return value;
  }
  void Out(std::uint16_t port, std::uint8_t value) override {
    if (port == TSimChip::IndexPort) FIndex = value;
    if (port == TSimChip::FanPort) Note(value == 0 ? "fan 0x00" : "fan 0x14");
    FChip.Out(port, value);
  }

 private:
  TSimChip FChip;
  std::uint8_t FIndex = 0;
};

// The program holds the bus lock while it calls: then this thread (the device host's) cannot
// take it.
bool BusLockHeld() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\Access_ISABUS.HTP.Method");
  if (!mutex) return false;
  DWORD result = WaitForSingleObject(mutex, 0);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(mutex);
  CloseHandle(mutex);
  return result == WAIT_TIMEOUT;
}

struct TMachine {
  TLoggingChip Chip;
  TSimPawnIo PawnIo{Chip};
  TMachine() {
    for (const TScenario& scenario : kScenarios)
      if (GetFileAttributesA((Folder() + scenario.File).c_str()) != INVALID_FILE_ATTRIBUTES)
        scenario.Apply(PawnIo);
  }
};
std::unique_ptr<TMachine> machine;

HPawnIo Handle(PVOID context) {
  return static_cast<HPawnIo>(reinterpret_cast<std::uintptr_t>(context));
}

NTSTATUS Execute(HPawnIo handle, std::uint8_t* buffer, ULONG inLength, ULONG outLength,
                 ULONG_PTR* information) {
  if (inLength < kNameSize) return kInvalidParameter;
  char name[kNameSize + 1] = {};
  std::memcpy(name, buffer, kNameSize);
  std::size_t inCount = (inLength - kNameSize) / sizeof(std::uint64_t);
  std::vector<std::uint64_t> in(inCount), out(outLength / sizeof(std::uint64_t));
  std::memcpy(in.data(), buffer + kNameSize, inCount * sizeof(std::uint64_t));
  if (!BusLockHeld()) Note(std::string("unlocked ") + name);
  if (std::string(name) == "ioctl_select_slot" && inCount == 1)
    Note("slot " + std::to_string(in[0]));
  std::size_t returned = 0;
  NTSTATUS status = Status(machine->PawnIo.Execute(handle, name, in.data(), in.size(), out.data(),
                                                   out.size(), returned));
  if (status == kSuccess) {
    std::memcpy(buffer, out.data(), out.size() * sizeof(std::uint64_t));
    *information = outLength;  // as driver.cpp: the whole output, whatever the module wrote
  }
  return status;
}
}  // namespace

extern "C" {
__declspec(dllexport) NTSTATUS StandInCreate(PVOID* context) {
  if (!machine || machine->PawnIo.OpenHandles() == 0) machine = std::make_unique<TMachine>();
  HPawnIo handle = HPawnIo::None;
  NTSTATUS status = Status(machine->PawnIo.Open(handle));
  *context = reinterpret_cast<PVOID>(static_cast<std::uintptr_t>(handle));
  return status;
}

__declspec(dllexport) void StandInClose(PVOID context) {
  if (machine && context) machine->PawnIo.Close(Handle(context));
}

__declspec(dllexport) NTSTATUS
    StandInControl(PVOID* context, ULONG code, PVOID buffer, ULONG inLength, ULONG outLength,
                   ULONG_PTR* information) {
  HPawnIo handle = Handle(*context);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  switch (code) {
    case kLoadBinary:
      return Status(
          machine->PawnIo.Load(handle, std::vector<std::uint8_t>(bytes, bytes + inLength)));
    case kExecute:
      return Execute(handle, bytes, inLength, outLength, information);
    case kVersion: {
      std::uint32_t version = 0;
      THResult result = machine->PawnIo.Version(handle, version);
      if (result != S_OK) return Status(result);
      if (outLength != sizeof version) return kInvalidParameter;
      std::memcpy(buffer, &version, sizeof version);
      *information = sizeof version;
      return kSuccess;
    }
    default:
      return kNotImplemented;
  }
}
}
