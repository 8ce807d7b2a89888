#pragma once
// The one rule for every file that an elevated Kelvane loads into the kernel or into itself
// from outside the system folder (the port driver, a port library): only the system,
// administrators, TrustedInstaller and the account Kelvane runs as may change the file or its
// folder, or delete, rename or re-list a folder above it. The platform reports the facts (the
// lists, owners, final path, drive type); the verdict is made here.
#include <string>
#include <vector>

#include "platform/System.h"

enum class TLoadPlace {
  Protected,        // safe to load from
  OthersMayChange,  // another account may change the file or its folder, or swap a folder above
  Unreadable,       // a list or an owner on the way could not be read
  Redirected,       // a junction or symbolic link lies on the way
  NotLocal,         // a network or removable drive, or any other than a fixed disk
  Unusable,         // the path cannot be resolved at all
  // The setup's install folder only:
  Occupied,  // it exists (a folder or a file) and is no earlier install of this program
  Foreign,   // an earlier install's folder whose owner or list are not those the setup gives
};

struct TLoadCheck {
  TLoadPlace Verdict = TLoadPlace::Unusable;
  // The path as the system resolves it (UTF-8): what to register or load, never the path asked.
  std::string FinalPath;
  bool Passed() const { return Verdict == TLoadPlace::Protected; }
};

// `path`: the file's full path, UTF-8 ("C:\...", "\\server\share\...", or either with the
// system's "\\?\" before it). A file that does not exist yet is judged by its folder (one put
// there later gets the folder's list).
TLoadCheck CheckLoadPlace(ISystem& system, const std::string& path);
// The same, trusting `accounts` beside the system's own (not the account Kelvane runs as).
TLoadCheck CheckLoadPlace(ISystem& system, const std::string& path,
                          const std::vector<std::string>& accounts);

// ---- the setup's folders ----
// Whom the setup trusts beside the system's own: its own account (an administrator's), and the
// user at the desktop, whom the log-on task runs as, only when that user is an administrator
// (a standard user's folder above the install folder would let them swap it).
std::vector<std::string> SetupAccounts(ISystem& system, const std::string& desktopSid);

// The list a folder other than the default gets when the setup makes it, inheriting nothing:
// SYSTEM and Administrators full control, Users read and execute, Administrators the owner.
extern const TFileSecurity kInstallFolderSecurity;

// May the setup install into `folder` (full path, UTF-8)? The default folder, under the
// system's program folder, keeps the list it inherits there and must be Protected by the rule;
// any other is made by the setup (MakeInstallFolder), so one that exists is Occupied unless
// `earlier` (an earlier install's entry names it) and its owner and list are exactly
// kInstallFolderSecurity (else Foreign). Every folder above must keep others from swapping it,
// and no link or junction may lie on the way, the folder itself included.
TLoadPlace CheckInstallFolder(ISystem& system, const std::string& folder, bool isDefault,
                              bool earlier, const std::vector<std::string>& accounts);
// CheckInstallFolder, then the folder and any missing above it made, each with its list in the
// same call (the default folder with the one it inherits); Occupied when one appeared meanwhile.
TLoadPlace MakeInstallFolder(ISystem& system, const std::string& folder, bool isDefault,
                             bool earlier, const std::vector<std::string>& accounts);
// An existing folder on a fixed disk with no link or junction on the way to it, itself
// included: Protected, else why not (before an earlier install's files are deleted or moved).
TLoadPlace CheckFolderWay(ISystem& system, const std::string& folder);

// A driver service's image path as registered, in the usual form of a full path: the system's
// own forms ("\??\C:\...", "\\?\C:\..."), the system root ("\SystemRoot\...",
// "%SystemRoot%\...") and paths relative to it ("System32\drivers\x.sys") are completed with
// `windowsFolder`. Empty for any other (a device path such as "\Device\...").
std::string DriverImagePath(const std::string& imagePath, const std::string& windowsFolder);
