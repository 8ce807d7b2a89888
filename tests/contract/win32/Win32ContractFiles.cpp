// Files and folders the contract's cases make on the real system.
#include "platform/win32/Win32Text.h"
#include "tests/contract/ContractPlatform.h"

bool ContractMakeFolder(const std::string& path) {
  return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0 ||
         GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ContractMakeFile(const std::string& path) {
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void ContractRemove(const std::string& path) {
  std::wstring wide = WidePath(path);
  if (!DeleteFileW(wide.c_str())) RemoveDirectoryW(wide.c_str());
}
