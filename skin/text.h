#pragma once
#include <string>

#include "framework/handles.h"
#include "framework/win32.h"

// Text helpers shared by the skinned controls.
namespace korvid {

// Arial of a logical height, at the windows' scale.
framework::FontHandle CreateArialFont(int height, int weight);
// An ARGB colour for GDI: the alpha is dropped.
constexpr COLORREF ArgbToColorref(Gdiplus::ARGB colour) {
  return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}
void DrawTextGdiPlus(Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, const std::wstring& text,
                     bool centreHorizontally, const RECT& rect, const Gdiplus::Font& font);
SIZE MeasureTextGdiPlus(const std::wstring& text, const Gdiplus::Font& font, const RECT& rect);
void DrawTextCentered(HDC dc, const std::wstring& text, COLORREF colour, bool centreHorizontally,
                      bool centreVertically, const RECT& rect, HFONT font = nullptr);

}  // namespace korvid
