#include "hw/LoadPlace.h"

#include "framework/Strings.h"
#include "hw/giveio.h"

namespace {
// The folder as the system names it: without its last separator, unless it is a drive's root.
std::string FolderName(std::string path) {
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}
}  // namespace

TLoadCheck CheckLoadPlace(ISystem& system, const std::string& path) {
  TLoadCheck check{TLoadPlace::OthersMayChange, path};
  TAccessList list;
  if (!system.GetFileAccessList(FolderName(ExtractFilePath(path)), list)) {
    check.Verdict = TLoadPlace::Unreadable;
    return check;
  }
  if (WritableByStandardUsers(list, true)) return check;
  if (system.FileExists(path)) {
    if (!system.GetFileAccessList(path, list)) {
      check.Verdict = TLoadPlace::Unreadable;
      return check;
    }
    if (WritableByStandardUsers(list, false)) return check;
  }
  check.Verdict = TLoadPlace::Protected;
  return check;
}
