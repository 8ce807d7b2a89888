#pragma once
// What the setup decides on the system, one function per entry of its plugin
// (installer/plugin/KelvaneSetup.cpp): who is at the desktop, which folder is the default one
// and whether a folder may take the install, the driver service of an install, the removal of
// an install's folder, PawnIO. Where the script shows something, the answer is the sentence
// itself (setup/SetupText.h).
#include <string>
#include <vector>

#include "hw/LoadPlace.h"
#include "platform/Registry.h"
#include "platform/SetupSystem.h"
#include "platform/System.h"

// ---- who ----
struct TSetupUsers {
  // "DOMAIN\name" of the user at this session's desktop; the setup's own account where the
  // session cannot be asked.
  std::string DesktopName;
  // That user's SID, naming the user's hive under HKU; empty where it cannot be found.
  std::string DesktopSid;
  // The account this setup runs as: another than the desktop's when someone else's
  // administrator account approved the prompt.
  std::string SetupName;
};
TSetupUsers FindSetupUsers(ISystem& system, ISetupSystem& setup);

// ---- where ----
// The default install folder of the 64-bit program or the 32-bit one, each in its program
// folder as the system names it: the 32-bit one's known folder, and for the 64-bit one
// ProgramFilesDir of the 64-bit view (which no known folder gives a 32-bit process). Never
// from the environment, which the user may set. Empty when the system names no such folder.
std::string DefaultInstallFolder(ISetupSystem& setup, IRegistry& registry, bool program64);
// Whether `folder` is one of the two: earlier setups put the 32-bit program in the 32-bit
// program folder on 64-bit Windows too.
bool IsDefaultInstallFolder(ISetupSystem& setup, IRegistry& registry, const std::string& folder);

// May the setup install into `folder` (see CheckInstallFolder), and with `make`, the folder made
// and judged again once made: what fails then is removed again, folders made above it too, and
// nothing is written into it. Protected when it may.
TLoadPlace InstallFolderVerdict(ISystem& system, ISetupSystem& setup, IRegistry& registry,
                                const std::string& folder, bool earlier,
                                const std::string& desktopSid, bool make);

// ---- an install's driver service and files ----
// The "giveio" driver service, stopped and removed when its image lies in `folder` (both as
// the system resolves them); one registered from anywhere else belongs to another program and
// stays. The sentence to show; empty when there is no such service.
std::string RemoveOwnDriverService(ISystem& system, ISetupSystem& setup, const std::string& folder);

// The files an install holds (the script writes them), by name.
extern const std::vector<std::string> kInstallFiles;
// Deletes an install's files from `folder` and the folder itself when nothing else is left
// (files the user put there stay), each through a handle that was opened without following a
// link while every folder on the way is held open so that none can be swapped meanwhile.
// Nothing is deleted when a junction or link lies on the way or inside. The sentence to show;
// empty when the folder is gone.
std::string RemoveInstallFolder(ISystem& system, ISetupSystem& setup, const std::string& folder);

// ---- PawnIO ----
// Why the 64-bit program will read nothing, with the command that installs PawnIO; empty when
// PawnIO is installed (as the program finds it).
std::string PawnIoMissing(IRegistry& registry);
// PawnIO's own setup ended with `exitCode` (empty: it did not start): empty for 0, else what
// that means, with the code.
std::string PawnIoSetupEnded(const std::string& exitCode);
