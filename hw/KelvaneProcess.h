#pragma once
// Any program on the desktop may make a window of Kelvane's class and caption. Before a start
// hands over to such a window, or closes it, it makes sure that the window's process is a
// Kelvane: its image is one of Kelvane's executables, and it runs as the account this process
// runs as. One whose account cannot be read (its token keeps us out) is a stranger too.
#include <cstdint>
#include <string>

#include "platform/System.h"

// `process`: the window's process, opened once with ISystem::OpenProcess and kept for whatever
// follows (its identifier may pass to another process, its handle never). False for None.
bool IsKelvaneProcess(ISystem& system, THandle process);
// The same for a Kelvane of `account` (a SID in text): the setup, which may run as the
// administrator who approved its prompt, closes the desktop user's copy.
bool IsKelvaneProcess(ISystem& system, THandle process, const std::string& account);

// The one argument Kelvane knows: the mark of a start by its log-on task (which the setup
// registers to run it again every minute). Exactly this, alone; any other command line is a
// start by the user.
inline constexpr char kLogOnTaskArgument[] = "/autostart";

// How long a copy asked to close has to end: the take-over's wait and the setup's.
inline constexpr std::uint32_t kCloseWaitMs = 15000;
