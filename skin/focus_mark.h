#pragma once
#include "framework/win32.h"

// The skin's keyboard focus mark: a gold ring just inside a control's edge,
// drawn by the focused skinned control in place of the system's dotted
// rectangle.
namespace korvid {

// The ring's colour: the skin's soft gold, which stands out against every
// face and field of the skin.
inline constexpr Gdiplus::ARGB kFocusMarkColour = 0xFFFFDC6E;

// Draws the mark inside `rect` (client pixels of the control).
void DrawFocusMark(Gdiplus::Graphics& graphics, const RECT& rect);
void DrawFocusMark(HDC dc, const RECT& rect);

// Whether the focus mark of `control` is to be shown: it has the keyboard
// focus and its window has not hidden the keyboard cues (a window that only
// the mouse has used shows none, as the system's own controls do).
bool ShowsFocusMark(HWND control);

}  // namespace korvid
