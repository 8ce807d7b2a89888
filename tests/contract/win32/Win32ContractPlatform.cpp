// The contract's platform on the real system: the Win32 backend with the processor's own
// port instructions, as the product uses it.
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32System.h"
#include "tests/contract/ContractPlatform.h"

namespace {
TWin32Platform& Machine() {
  static TWin32Platform machine;
  return machine;
}
}  // namespace

TPlatform& ContractPlatform() { return Machine().Platform(); }
IFiles& ContractFiles() {
  static TWin32Files files;
  return files;
}
long ContractLiveGdiObjects() { return Machine().Gdi().LiveObjects(); }

// Every Wine prefix carries this key and Windows never does; asked through the boundary so
// that the suite needs no system header.
bool RunningUnderWine() {
  static const bool wine = [] {
    IRegistry& registry = Machine().Platform().Registry;
    HKey key = HKey::None;
    if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, key) != 0)
      return false;
    registry.RegCloseKey(key);
    return true;
  }();
  return wine;
}

std::string ContractSide() { return RunningUnderWine() ? "wine" : "windows"; }
