#pragma once
#include "framework/win32.h"

namespace korvid {

// A tool-tip control for controls of `owner`; it lives as long as its owner's
// top-level window. Null when it could not be made.
HWND CreateToolTips(HWND owner);
// Gives `tool` a tip whose text `owner` is asked for when it shows
// (TTN_NEEDTEXTW).
void AddToolTip(HWND tip, HWND owner, HWND tool);
// The control ID a text request is for; 0 when it names no control.
int ToolTipControlId(const NMHDR& request);

}  // namespace korvid
