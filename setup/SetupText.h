#pragma once
// Every sentence the setup shows that depends on a decision made in C++: the plugin returns
// the sentence itself, so the script never matches a word against a list of its own.
#include "hw/LoadPlace.h"

enum class TSetupText {
  // Why a folder cannot take the install ("Kelvane cannot be installed in FOLDER: ...").
  FolderOthers,
  FolderUnreadable,
  FolderLink,
  FolderNotLocal,
  FolderOccupied,
  FolderForeign,
  FolderUnusable,
  // The log-on task: not registered (the scheduler's code follows), registered but others may
  // change it (who follows: SIDs, or TaskDescriptorUnreadable), registered by a scheduler that
  // keeps no descriptor (a detail line); Kelvane not started as the desktop user.
  TaskNotRegistered,
  TaskUnprotected,
  TaskDescriptorUnreadable,
  TaskDescriptorNotKept,
  NotStartedAsDesktopUser,
  Last = NotStartedAsDesktopUser
};

// The sentence for a key; never null.
const char* SetupText(TSetupText key);

// Why the rule refused a place, as a clause; empty when it passed.
const char* PlaceRefusal(TLoadPlace place);
