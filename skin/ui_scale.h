#pragma once
#include "framework/win32.h"
#include "skin/display_scale.h"

// The scale the program's windows are drawn at: the DPI of the monitor the
// main window is on. Every logical size and position the windows use goes
// through these helpers on its way to device pixels.
namespace korvid {

int UiDpi();
// Changes the windows' DPI; the sheets decoded for the old one are dropped.
void SetUiDpi(int dpi);

int Scaled(int logical);
SkinRect Scaled(const SkinRect& logical);
RECT ScaledRect(const SkinRect& logical);
Gdiplus::REAL ScaledF(Gdiplus::REAL logical);

// The DPI of a window's monitor as the system tells a per-monitor aware
// program; the system DPI where the system cannot tell per window.
int DpiOfWindow(HWND window);
// The system's DPI, which the tray and the sign-in start use.
int SystemDpi();
// A skinned dialog lays itself out at the windows' scale: the system must
// not move and resize its controls when its DPI changes.
void KeepOwnLayoutAtDpiChanges(HWND dialog);

}  // namespace korvid
