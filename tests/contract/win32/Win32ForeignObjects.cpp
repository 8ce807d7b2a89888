// Objects another program would leave under a name, made with the system's own calls, since
// the boundary has none for them (the program never makes such objects).
#include "tests/contract/ContractPlatform.h"
// After the boundary's headers: the system's header defines names the boundary also uses.
#include "platform/win32/Win32Api.h"
// After the system header, whose types it needs.
#include <sddl.h>

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
