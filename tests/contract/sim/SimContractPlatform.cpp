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
long ContractLiveGdiObjects() { return static_cast<long>(Machine().Gdi.OpenCount()); }
std::string ContractSide() { return "simulated"; }
bool RunningUnderWine() { return false; }
