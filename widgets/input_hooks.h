#pragma once
#include "framework/win32.h"
#include "widgets/window_messages.h"

// The program's two low-level input hooks. Each has one process-wide slot:
// the hook and the window it reports to. Both only post and pass every event
// on, so other programs still see all input.
namespace korvid {

// Both post kHookEventMessage (widgets/window_messages.h).

// The hotkey pop-up's key capture. Installs the hook reporting to `target`;
// false when the system refused it (the slot then stays empty). Installing
// again while installed only changes the window.
bool InstallKeyboardCaptureHook(HWND target);
void RemoveKeyboardCaptureHook();
bool KeyboardCaptureHookInstalled();

// The pop-up menus' click watch. Makes `target` the window the hook reports
// to, installing the hook when it is not; false when it could not be
// installed. The slot's window is recorded only with a hook in place.
bool SetMenuHookWindow(HWND target);
// Changes the window of an installed hook; installs nothing.
void RetargetMenuMouseHook(HWND target);
void RemoveMenuMouseHook();
HWND MenuHookWindow();

}  // namespace korvid
