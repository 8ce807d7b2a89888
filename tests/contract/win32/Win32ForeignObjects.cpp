// Objects another program would leave under a name, made with the system's own calls, since
// the boundary has none for them (the program never makes such objects).
#include "tests/contract/ContractPlatform.h"
// After the boundary's headers: the system's header defines names the boundary also uses.
#include "platform/win32/Win32Api.h"
// After the system header, whose types they need.
#include <aclapi.h>
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

std::uint32_t ContractMutexRightsForEveryone(const std::string& name) {
  HANDLE mutex = OpenMutexA(READ_CONTROL, FALSE, name.c_str());
  if (!mutex) return 0;
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetSecurityInfo(mutex, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor);
  CloseHandle(mutex);
  if (error != ERROR_SUCCESS) return 0;
  DWORD granted = dacl ? 0 : MUTEX_ALL_ACCESS;
  PSID everyone = nullptr;
  ConvertStringSidToSidA("S-1-1-0", &everyone);
  for (DWORD i = 0; dacl && everyone && i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry)) continue;
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, everyone))
      granted |= ace->Mask;
  }
  LocalFree(everyone);
  LocalFree(descriptor);
  if (granted & GENERIC_ALL) granted = (granted & ~GENERIC_ALL) | MUTEX_ALL_ACCESS;
  return granted;
}

namespace {
class TWin32Process : public TForeignProcess {
 public:
  TWin32Process() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command = std::string("\"") + path + "\" " + kContractChildArgument;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(path, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)) {
      FId = info.dwProcessId;
      FProcess = info.hProcess;  // kept, so its identifier is not another's while the case runs
      CloseHandle(info.hThread);
    }
    EXPECT_NE(FId, 0u) << "the other process could not be started";
  }
  ~TWin32Process() override {
    if (!FProcess) return;
    TerminateProcess(FProcess, 0);
    CloseHandle(FProcess);
  }
  std::uint32_t Id() const override { return FId; }

 private:
  std::uint32_t FId = 0;
  HANDLE FProcess = nullptr;
};
}  // namespace

std::unique_ptr<TForeignProcess> ContractOtherProcess() {
  return std::make_unique<TWin32Process>();
}
