#include "hw/KelvaneProcess.h"

#include <string>

#include "framework/Strings.h"

namespace {
// The demo counts as Kelvane: it shares the program's locks and names.
constexpr const char* kKelvaneImages[] = {"kelvane.exe", "kelvane-demo.exe"};
}  // namespace

bool IsKelvaneProcess(ISystem& system, THandle process) {
  return IsKelvaneProcess(system, process, system.ProcessUserSid(kThisProcess));
}

bool IsKelvaneProcess(ISystem& system, THandle process, const std::string& account) {
  if (process == THandle::None || account.empty() || system.ProcessUserSid(process) != account)
    return false;
  std::string image = system.ProcessImagePath(process);
  std::string name = image.substr(ExtractFilePath(image).size());
  for (const char* kelvane : kKelvaneImages)
    if (SameText(name, kelvane)) return true;
  return false;
}
