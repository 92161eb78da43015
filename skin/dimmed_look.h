#pragma once
#include "framework/win32.h"

// The skin's look of a control that stands for something switched off (a CPI
// level out of use): its own look under a dark veil, which keeps its colours
// recognisable but plainly darker than those of the controls in use.
namespace korvid {

inline constexpr Gdiplus::ARGB kDimmedVeil = 0xA0101011;

// Lays the veil over `rect` (client pixels of the control).
void DrawDimmedVeil(Gdiplus::Graphics& graphics, const RECT& rect);
void DrawDimmedVeil(HDC dc, const RECT& rect);

}  // namespace korvid
