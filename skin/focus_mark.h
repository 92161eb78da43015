#pragma once
#include "framework/win32.h"

// The skin's keyboard focus mark: a gold ring just inside a control's edge,
// drawn by the focused skinned control in place of the system's dotted
// rectangle.
namespace korvid {

// The ring's colour: a pale gold, lighter than every gold edge and face of
// the skin, so that it stands out on them as on the dark fields.
inline constexpr Gdiplus::ARGB kFocusMarkColour = 0xFFFFEBAA;

// The mark's look: the gold ring, or on a control whose own look is gold
// (a switch that is on) a white ring on a dark rim, which stands out there.
enum class FocusMarkLook { kGold, kOnGold };
inline constexpr Gdiplus::ARGB kFocusMarkOnGoldColour = 0xFFFFFFFF;

// Draws the mark inside `rect` (client pixels of the control).
void DrawFocusMark(Gdiplus::Graphics& graphics, const RECT& rect, FocusMarkLook look = FocusMarkLook::kGold);
void DrawFocusMark(HDC dc, const RECT& rect);
// The mark of a text field whose window reaches past the frame the skin
// draws around it, where a ring would cut across that frame: a line under
// its text, from `left` to `right` with its top at `top`.
void DrawFocusUnderline(HDC dc, int left, int right, int top);

// Whether the focus mark of `control` is to be shown: it has the keyboard
// focus and its top-level window shows keyboard cues (a window that only
// the mouse has used shows none, as the system's own dialogs do).
bool ShowsFocusMark(HWND control);

// The keyboard cues of a top-level window, kept as a property of its own.
bool KeyboardCuesShown(HWND topLevel);
void SetKeyboardCuesShown(HWND topLevel, bool shown);

}  // namespace korvid
