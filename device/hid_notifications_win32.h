#pragma once
#include <windows.h>

namespace korvid {

// Registers `window` for arrival and removal notifications (WM_DEVICECHANGE)
// of every HID device interface. 1 on success, 0 on failure. The
// registration lasts as long as the window.
int RegisterHidNotifications(HWND window);

}  // namespace korvid
