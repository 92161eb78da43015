#pragma once
#include "framework/win32.h"
#include "widgets/window_messages.h"

namespace korvid {

// How the writing of the profile to the mouse goes, as the main window tells
// its pages: it sends kApplyProgressMessage, wParam an ApplyProgress, lParam
// 0, to every page it has built, on the UI thread.
//
//   kRunning    an Apply was asked for and the mouse is being written; sent
//               once when a spell of applies begins (further clicks during
//               it are folded into one more write and send nothing)
//   kSucceeded  the spell has ended and the last write reached the mouse
//   kFailed     the spell has ended without the mouse holding the settings
//               (no mouse, a failed command, or the profile not saved); the
//               window shows its failure message as well
//
// A page built while a spell runs gets kRunning when it is built. A page
// that does not handle the message lets it go to the default processing.
enum class ApplyProgress : WPARAM { kRunning = 0, kSucceeded = 1, kFailed = 2 };

}  // namespace korvid
