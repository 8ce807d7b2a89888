#include "setup/SetupText.h"

#include <cstddef>

namespace {
struct TRow {
  TSetupText Key;
  const char* Text;
};

// One row per key, in the order of the keys: the build checks it.
constexpr TRow kTexts[] = {
    {TSetupText::FolderOthers, "others may change it, or rename or delete a folder above it"},
    {TSetupText::FolderUnreadable, "the access list of a folder on the way cannot be read"},
    {TSetupText::FolderLink, "a junction or link lies on the way to it"},
    {TSetupText::FolderNotLocal,
     "it lies on a network share or on a drive other than a fixed disk"},
    {TSetupText::FolderOccupied,
     "it exists already, and the setup uses only a folder it makes itself or an earlier install "
     "of Kelvane"},
    {TSetupText::FolderForeign,
     "it is an earlier install's folder whose owner or access list have been changed"},
    {TSetupText::FolderUnusable,
     "it is no full path of a folder of its own (a drive's root is none)"},
    {TSetupText::DriverServiceForeign,
     "The giveio driver service belongs to another program (%1): left in place"},
    {TSetupText::DriverServiceRemoved, "Removed the giveio driver service"},
    {TSetupText::DriverServiceStays, "The giveio driver service could not be removed"},
    {TSetupText::InstallFolderLinked,
     "%1 is left as it is: a junction or link lies on the way to it or inside it"},
    {TSetupText::InstallFolderUnopened,
     "%1 is left as it is: it or a folder on the way to it could not be opened"},
    {TSetupText::InstallFolderKept, "%1 stays: it holds files that are not Kelvane's"},
    {TSetupText::InstallFileStays,
     "%1\\%2 could not be removed: delete it when it is no longer in use"},
    {TSetupText::PawnIoMissing,
     "On 64-bit Windows Kelvane reads the temperatures and switches the fan only through PawnIO, "
     "which is not installed on this computer.\n\nInstall PawnIO with its own setup, or from a "
     "command prompt with\n\n    winget install namazso.PawnIO\n\nand start Kelvane again."},
    {TSetupText::PawnIoSetupFailed,
     "PawnIO's setup ended with exit code %1, so PawnIO is not installed and Kelvane, installed "
     "all the same, reads nothing until it is.\n\nInstall PawnIO with its own setup, or from a "
     "command prompt with\n\n    winget install namazso.PawnIO\n\nand start Kelvane again."},
    // The log-on task.
    {TSetupText::TaskNotRegistered,
     "Kelvane could not be set up to start at log-on: start it from the Start menu. The Task "
     "Scheduler refused the task"},
    {TSetupText::TaskUnprotected,
     "Kelvane was not set up to start at log-on: the Task Scheduler gave the task a descriptor "
     "that lets others than SYSTEM and Administrators change it, and a program of theirs could "
     "then run with administrator rights at every log-on. The task was removed and the setup "
     "stopped. Who may change it:"},
    {TSetupText::TaskDescriptorUnreadable, "unknown, its descriptor could not be read back"},
    {TSetupText::TaskDescriptorNotKept,
     "This Task Scheduler keeps no descriptor of its own and cannot show one: the log-on task "
     "was registered as the setup gave it"},
    {TSetupText::NotStartedAsDesktopUser,
     "Kelvane was not started as the user at the desktop: start it from the Start menu"},
};

constexpr bool RowsInKeyOrder() {
  if (std::size(kTexts) != static_cast<std::size_t>(TSetupText::Last) + 1) return false;
  for (std::size_t i = 0; i < std::size(kTexts); ++i)
    if (static_cast<std::size_t>(kTexts[i].Key) != i || !kTexts[i].Text || !*kTexts[i].Text)
      return false;
  return true;
}
static_assert(RowsInKeyOrder(), "one sentence per key, in the keys' order");
}  // namespace

const char* SetupText(TSetupText key) { return kTexts[static_cast<std::size_t>(key)].Text; }

std::string SetupText(TSetupText key, std::initializer_list<std::string_view> arguments) {
  std::string text;
  for (const char* c = SetupText(key); *c; ++c) {
    std::size_t index = c[0] == '%' && c[1] >= '1' && c[1] <= '9' ? c[1] - '1' : arguments.size();
    if (index < arguments.size()) {
      text += arguments.begin()[index];
      ++c;
    } else {
      text += *c;
    }
  }
  return text;
}

const char* PlaceRefusal(TLoadPlace place) {
  switch (place) {
    case TLoadPlace::Protected:
      return "";
    case TLoadPlace::OthersMayChange:
      return SetupText(TSetupText::FolderOthers);
    case TLoadPlace::Unreadable:
      return SetupText(TSetupText::FolderUnreadable);
    case TLoadPlace::Redirected:
      return SetupText(TSetupText::FolderLink);
    case TLoadPlace::NotLocal:
      return SetupText(TSetupText::FolderNotLocal);
    case TLoadPlace::Occupied:
      return SetupText(TSetupText::FolderOccupied);
    case TLoadPlace::Foreign:
      return SetupText(TSetupText::FolderForeign);
    case TLoadPlace::Unusable:
      break;
  }
  return SetupText(TSetupText::FolderUnusable);
}
