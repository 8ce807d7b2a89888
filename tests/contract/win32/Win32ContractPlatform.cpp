// The contract's platform on the real system: the Win32 backend with the processor's own
// port instructions, as the product uses it.
#include "platform/win32/Win32Platform.h"
#include "tests/contract/ContractPlatform.h"
// Only for the objects another maker leaves, which the boundary has no call to make.
#include "platform/win32/Win32Api.h"
// After the system header, whose types it needs.
#include <sddl.h>

namespace {
TWin32Platform& Machine() {
  static TWin32Platform machine;
  return machine;
}
}  // namespace

TPlatform& ContractPlatform() { return Machine().Platform(); }
long ContractLiveGdiObjects() { return Machine().Gdi().LiveObjects(); }

// Every Wine prefix carries this key and Windows never does; asked through the boundary so
// that the suite needs no system header.
bool RunningUnderWine() {
  static const bool wine = [] {
    IRegistry& registry = Machine().Platform().Registry;
    HKey key = 0;
    if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, key) != 0)
      return false;
    registry.RegCloseKey(key);
    return true;
  }();
  return wine;
}

std::string ContractSide() { return RunningUnderWine() ? "wine" : "windows"; }

namespace {
class TWin32Foreign : public TForeignObject {
 public:
  explicit TWin32Foreign(HANDLE handle) : FHandle(handle) {}
  ~TWin32Foreign() override {
    if (FHandle) CloseHandle(FHandle);
  }

 private:
  HANDLE FHandle;
};
}  // namespace

std::unique_ptr<TForeignObject> ContractRefusingMutex(const std::string& name) {
  // A protected, empty access list: no right for anyone but what its owner always keeps.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  HANDLE handle = nullptr;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P", SDDL_REVISION_1, &descriptor,
                                                           nullptr)) {
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    handle = CreateMutexA(&attributes, FALSE, name.c_str());
    LocalFree(descriptor);
  }
  EXPECT_NE(handle, nullptr) << "the refusing mutex could not be made";
  return std::make_unique<TWin32Foreign>(handle);
}

std::unique_ptr<TForeignObject> ContractOtherKindOfObject(const std::string& name) {
  HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  EXPECT_NE(handle, nullptr) << "the event could not be made";
  return std::make_unique<TWin32Foreign>(handle);
}
