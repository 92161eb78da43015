#pragma once
#include "framework/win32.h"

namespace korvid {

// WM_SYSCOMMAND with this wParam asks the main window to stay on top
// (lParam 1) or not (lParam 0). Pages and combo buttons pass it up; menus
// send it around hiding themselves.
inline constexpr WPARAM kStayOnTopRequest = 0x08BA;

}  // namespace korvid
