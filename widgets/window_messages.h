#pragma once
#include "framework/win32.h"

// Every private window message of the program, and the private system
// command, allocated here and nowhere else. The values are fixed: a second
// copy of the program and the test tools send some of them by number.
namespace korvid {

// WM_APP range: the program's own windows only.

// Posted by the device worker to the main window when it has news; the
// window takes the news from the worker.
inline constexpr UINT kDeviceNewsMessage = WM_APP + 1;
// Sent by the main window to every page it has built: how the writing of the
// profile goes (wParam an ApplyProgress, widgets/apply_progress.h).
inline constexpr UINT kApplyProgressMessage = WM_APP + 2;
// Sent by the main window to every page it has built: whether the pages
// hold settings the mouse does not (wParam 1) or not (0).
inline constexpr UINT kUnappliedChangesMessage = WM_APP + 3;
// Posted by the main window to itself: compare the pages with the mouse.
inline constexpr UINT kCompareWithMouseMessage = WM_APP + 4;
// Main window: the display scale changed while a page was busy; the window
// is rebuilt at the new scale when the page has returned.
inline constexpr UINT kRescaleMessage = WM_APP + 5;

// WM_USER range: numbers other processes and hooks send.

// Posted by both low-level input hooks (widgets/input_hooks.h). Keyboard:
// wParam the virtual key, lParam 0x80 for a release and 0 for a press.
// Mouse: wParam the mouse message (never a move or a wheel turn); lParam
// must not be read.
inline constexpr UINT kHookEventMessage = WM_USER + 0xA8;
// The tray icon's callback to its window; lParam is the mouse message.
inline constexpr UINT kTrayIconMessage = WM_USER + 1003;
// Sent by a second copy of the program to the first: show the window.
inline constexpr UINT kShowRequestMessage = WM_USER + 1004;

// WM_SYSCOMMAND with this wParam asks the main window to stay on top
// (lParam 1) or not (lParam 0). Pages and combo buttons pass it up; menus
// send it around hiding themselves.
inline constexpr WPARAM kStayOnTopRequest = 0x08BA;

}  // namespace korvid
