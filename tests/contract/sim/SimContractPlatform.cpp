// The contract's platform natively: one simulated machine for the whole run.
#include "platform/sim/SimPlatform.h"
#include "tests/contract/ContractPlatform.h"

namespace {
TSimPlatform& Machine() {
  static TSimPlatform machine;
  return machine;
}
}  // namespace

TPlatform& ContractPlatform() { return Machine().Platform(); }
IFiles& ContractFiles() { return Machine().System; }
long ContractLiveGdiObjects() { return static_cast<long>(Machine().Gdi.OpenCount()); }
std::string ContractSide() { return "simulated"; }
bool RunningUnderWine() { return false; }

namespace {
class TSimForeign : public TForeignObject {
 public:
  TSimForeign(std::string name, bool mutex) : FName(std::move(name)), FMutex(mutex) {
    if (FMutex)
      Machine().System.HoldMutex(FName, {}, true);
    else
      Machine().System.OccupyName(FName);
  }
  ~TSimForeign() override {
    if (FMutex)
      Machine().System.ReleaseHeldMutex(FName);
    else
      Machine().System.FreeName(FName);
  }

 private:
  std::string FName;
  bool FMutex;
};
}  // namespace

std::unique_ptr<TForeignObject> ContractRefusingMutex(const std::string& name) {
  return std::make_unique<TSimForeign>(name, true);
}
std::unique_ptr<TForeignObject> ContractOtherKindOfObject(const std::string& name) {
  return std::make_unique<TSimForeign>(name, false);
}

std::uint32_t ContractMutexRightsForEveryone(const std::string& name) {
  return Machine().System.MutexRights(name).Everyone;
}

// What the machine's own file system would do: the maker owns it; its list is a setup's, as
// every folder's on this machine.
bool ContractMakeFolder(const std::string& path) {
  Machine().System.SetOwner(path, Machine().System.AccountSid);
  return true;
}
bool ContractMakeFile(const std::string& path) {
  Machine().System.AddFile(path);
  Machine().System.SetOwner(path, Machine().System.AccountSid);
  return true;
}
void ContractRemove(const std::string& path) { Machine().System.RemoveFile(path); }

namespace {
class TSimProcess : public TForeignProcess {
 public:
  TSimProcess() { Machine().System.OtherProcesses.insert(FId); }
  ~TSimProcess() override { Machine().System.OtherProcesses.erase(FId); }
  std::uint32_t Id() const override { return FId; }

 private:
  std::uint32_t FId = 4242;
};
}  // namespace

std::unique_ptr<TForeignProcess> ContractOtherProcess() { return std::make_unique<TSimProcess>(); }
