#include "platform/win32/Win32Tasks.h"

#include <functional>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Text.h"

// After the door: the scheduler's interfaces need its types.
#include <taskschd.h>

namespace {
// One reference, released as its scope ends.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  ~TComPtr() {
    if (FPointer) FPointer->Release();
  }
  T** Out() { return &FPointer; }
  T* operator->() const { return FPointer; }
  T& operator*() const { return *FPointer; }

 private:
  T* FPointer = nullptr;
};

class TBstr {
 public:
  explicit TBstr(const std::string& text) : FText(SysAllocString(Widen(text, CP_UTF8).c_str())) {}
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  ~TBstr() { SysFreeString(FText); }
  operator BSTR() const { return FText; }

 private:
  BSTR FText;
};

// A VARIANT holding a string, or empty.
class TVariant {
 public:
  TVariant() { VariantInit(&FValue); }
  explicit TVariant(const std::string& text) : TVariant() {
    FValue.vt = VT_BSTR;
    FValue.bstrVal = SysAllocString(Widen(text, CP_UTF8).c_str());
  }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  ~TVariant() { VariantClear(&FValue); }
  operator VARIANT() const { return FValue; }

 private:
  VARIANT FValue;
};

std::uint32_t Code(HRESULT result) { return static_cast<std::uint32_t>(result); }

// Runs `use` with the scheduler's root folder, COM set up for the call (a thread that has it
// in the other threading model already keeps it).
std::uint32_t WithRootFolder(const std::function<HRESULT(ITaskFolder&)>& use) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(com) && com != RPC_E_CHANGED_MODE) return Code(com);
  // As the scheduler's own samples set it; refused harmlessly where the process has set it.
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                       RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, 0, nullptr);
  HRESULT result;
  {
    TComPtr<ITaskService> service;
    TComPtr<ITaskFolder> root;
    TVariant none;
    result = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(service.Out()));
    if (SUCCEEDED(result)) result = service->Connect(none, none, none, none);
    TBstr rootPath("\\");
    if (SUCCEEDED(result)) result = service->GetFolder(rootPath, root.Out());
    if (SUCCEEDED(result)) result = use(*root);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return Code(result);
}

std::uint32_t WithTask(const std::string& name,
                       const std::function<HRESULT(IRegisteredTask&)>& use) {
  return WithRootFolder([&](ITaskFolder& root) {
    TComPtr<IRegisteredTask> task;
    HRESULT result = root.GetTask(TBstr(name), task.Out());
    return SUCCEEDED(result) ? use(*task) : result;
  });
}
}  // namespace

std::uint32_t TWin32Tasks::Register(const std::string& name, const std::string& xml,
                                    std::uint32_t flags, const std::string& user,
                                    const std::string& sddl) {
  return WithRootFolder([&](ITaskFolder& root) {
    TComPtr<IRegisteredTask> task;
    TVariant userId(user), password, descriptor(sddl);
    return root.RegisterTask(TBstr(name), TBstr(xml), static_cast<LONG>(flags), userId, password,
                             TASK_LOGON_INTERACTIVE_TOKEN, descriptor, task.Out());
  });
}

std::uint32_t TWin32Tasks::Descriptor(const std::string& name, std::uint32_t information,
                                      std::string& sddl) {
  return WithTask(name, [&](IRegisteredTask& task) {
    BSTR text = nullptr;
    HRESULT result = task.GetSecurityDescriptor(static_cast<LONG>(information), &text);
    if (SUCCEEDED(result)) sddl = text ? Utf8(text, SysStringLen(text)) : std::string();
    SysFreeString(text);
    return result;
  });
}

std::uint32_t TWin32Tasks::Remove(const std::string& name) {
  return WithRootFolder([&](ITaskFolder& root) { return root.DeleteTask(TBstr(name), 0); });
}

std::uint32_t TWin32Tasks::SetEnabled(const std::string& name, bool enabled) {
  return WithTask(name, [&](IRegisteredTask& task) {
    return task.put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);
  });
}

std::uint32_t TWin32Tasks::Run(const std::string& name) {
  return WithTask(name, [&](IRegisteredTask& task) {
    TComPtr<IRunningTask> running;
    TVariant none;
    return task.Run(none, running.Out());
  });
}

bool TWin32Tasks::StartAsShellUser(const std::string& path, const std::string& arguments,
                                   const std::string& folder) {
  // Windows Vista and later: looked up, so that the setup's plugin still loads before.
  using TCreateProcessWithToken = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
  auto createProcessWithToken = reinterpret_cast<TCreateProcessWithToken>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "CreateProcessWithTokenW")));
  HWND shell = GetShellWindow();
  DWORD shellId = 0;
  if (!createProcessWithToken || !shell || !GetWindowThreadProcessId(shell, &shellId)) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellId);
  if (!process) return false;
  HANDLE token = nullptr, primary = nullptr;
  bool started = false;
  if (OpenProcessToken(process, TOKEN_DUPLICATE, &token) &&
      DuplicateTokenEx(token,
                       TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_ADJUST_DEFAULT |
                           TOKEN_ADJUST_SESSIONID,
                       nullptr, SecurityImpersonation, TokenPrimary, &primary)) {
    std::wstring application = Widen(path, CP_UTF8);
    std::wstring commandLine = L"\"" + application + L"\"";
    if (!arguments.empty()) commandLine += L" " + Widen(arguments, CP_UTF8);
    std::wstring directory = Widen(folder, CP_UTF8);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    started = createProcessWithToken(primary, 0, application.c_str(), commandLine.data(), 0,
                                     nullptr, directory.c_str(), &startup, &info) != FALSE;
    if (started) {
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    }
  }
  if (primary) CloseHandle(primary);
  if (token) CloseHandle(token);
  CloseHandle(process);
  return started;
}
