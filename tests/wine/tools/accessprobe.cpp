// Access lists and a window's answers, as the end-to-end tests look at them from outside.
//
//   accessprobe acl PATH            the file's or folder's access list: "null", or one line an
//                                   entry, "allow|deny MASK SID [inherit-only]" (mask in hex)
//   accessprobe protect PATH SDDL   gives the file or folder the list in SDDL, protected from
//                                   its parent's (so the test decides what users may do there)
//   accessprobe mutex NAME          the rights the named mutex's list grants everyone (hex), or
//                                   "null" for a list that grants everything
//   accessprobe answers CLASS SECS  sends WM_NULL to the window of that class every 250 ms for
//                                   SECS seconds; prints "sent N", "late N" (not answered within
//                                   300 ms) and "slowest MS"
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32Api.h"
// After the system header, whose types they need.
#include <aclapi.h>
#include <sddl.h>

namespace {
void PrintAcl(const ACL* acl) {
  if (!acl) {
    std::printf("null\n");
    return;
  }
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(const_cast<ACL*>(acl), i, &entry)) continue;
    auto* header = static_cast<ACE_HEADER*>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
      continue;
    // Allowed and denied entries share their layout.
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    char* sid = nullptr;
    if (!ConvertSidToStringSidA(&ace->SidStart, &sid)) continue;
    std::printf("%s %08lx %s%s\n", header->AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow" : "deny",
                static_cast<unsigned long>(ace->Mask), sid,
                (header->AceFlags & INHERIT_ONLY_ACE) ? " inherit-only" : "");
    LocalFree(sid);
  }
}

int Acl(const char* path) {
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) {
    std::printf("error %lu\n", static_cast<unsigned long>(error));
    return 1;
  }
  PrintAcl(dacl);
  LocalFree(descriptor);
  return 0;
}

int Protect(const char* path, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return 2;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  ACL* dacl = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  DWORD error =
      SetNamedSecurityInfoA(const_cast<char*>(path), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, dacl, nullptr);
  LocalFree(descriptor);
  if (error != ERROR_SUCCESS) std::printf("error %lu\n", static_cast<unsigned long>(error));
  return error == ERROR_SUCCESS ? 0 : 1;
}

int Mutex(const char* name) {
  HANDLE mutex = OpenMutexA(READ_CONTROL, FALSE, name);
  if (!mutex) {
    std::printf("error %lu\n", GetLastError());
    return 1;
  }
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetSecurityInfo(mutex, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor);
  CloseHandle(mutex);
  if (error != ERROR_SUCCESS) {
    std::printf("error %lu\n", static_cast<unsigned long>(error));
    return 1;
  }
  if (!dacl) {
    std::printf("null\n");
  } else {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    DWORD granted = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      void* entry = nullptr;
      if (!GetAce(dacl, i, &entry)) continue;
      auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
      if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, everyone))
        granted |= ace->Mask;
    }
    FreeSid(everyone);
    if (granted & GENERIC_ALL) granted = (granted & ~GENERIC_ALL) | MUTEX_ALL_ACCESS;
    std::printf("%08lx\n", static_cast<unsigned long>(granted));
  }
  LocalFree(descriptor);
  return 0;
}

int Answers(const char* windowClass, int seconds) {
  int sent = 0;
  int late = 0;
  DWORD slowest = 0;
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    HWND window = FindWindowA(windowClass, nullptr);
    if (window) {
      DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 300, &result) != 0;
      DWORD took = GetTickCount() - start;
      ++sent;
      if (!answered || took > 300) ++late;
      if (took > slowest) slowest = took;
    }
    Sleep(250);
  }
  std::printf("sent %d\nlate %d\nslowest %lu\n", sent, late, static_cast<unsigned long>(slowest));
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 64;
  if (std::strcmp(argv[1], "acl") == 0) return Acl(argv[2]);
  if (std::strcmp(argv[1], "protect") == 0 && argc > 3) return Protect(argv[2], argv[3]);
  if (std::strcmp(argv[1], "mutex") == 0) return Mutex(argv[2]);
  if (std::strcmp(argv[1], "answers") == 0 && argc > 3) return Answers(argv[2], std::atoi(argv[3]));
  return 64;
}
