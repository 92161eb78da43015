#pragma once
#include "framework/win32.h"

// The keyboard cues of a window: whether its focused control shows the
// focus mark. Hidden while the window has only been used with the mouse,
// shown from the first key that moves through it, as the system's own
// dialogs do.
namespace korvid {

// A top-level window starts with the cues of its owner: a pop-up opened
// from the keyboard shows its focus at once, one opened by a click does not.
void InitialiseKeyboardCues(HWND topLevel);
// Shows the cues of the window that `window` belongs to, from now on.
void ShowKeyboardCues(HWND window);
// Keys that move the focus or act on the focused control.
bool IsNavigationKey(UINT virtualKey);

}  // namespace korvid
