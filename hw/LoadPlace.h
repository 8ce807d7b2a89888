#pragma once
// The one rule for every file that an elevated Kelvane loads into the kernel or into itself
// from outside the system folder (the port driver, a port library): only the system,
// administrators, TrustedInstaller and the account Kelvane runs as may change the file or its
// folder, or delete, rename or re-list a folder above it. The platform reports the facts (the
// lists, owners, final path, drive type); the verdict is made here.
#include <string>

#include "platform/System.h"

enum class TLoadPlace {
  Protected,        // safe to load from
  OthersMayChange,  // another account may change the file or its folder, or swap a folder above
  Unreadable,       // a list or an owner on the way could not be read
  Redirected,       // a junction or symbolic link lies on the way
  NotLocal,         // a network or removable drive, or any other than a fixed disk
  Unusable,         // the path cannot be resolved at all
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

// A driver service's image path as registered, in the usual form of a full path: the system's
// own forms ("\??\C:\...", "\\?\C:\..."), the system root ("\SystemRoot\...",
// "%SystemRoot%\...") and paths relative to it ("System32\drivers\x.sys") are completed with
// `windowsFolder`. Empty for any other (a device path such as "\Device\...").
std::string DriverImagePath(const std::string& imagePath, const std::string& windowsFolder);
