#include "skin/text.h"
#include "skin/ui_scale.h"

namespace korvid {

SIZE MeasureTextGdiPlus(const std::wstring& text, const Gdiplus::Font& font, const RECT& rect) {
  std::wstring measured = text;
  // A trailing space has no width of its own; measure it as a visible glyph.
  if (!measured.empty() && measured.back() == L' ') measured.back() = L'_';
  framework::WindowDc screen(nullptr);
  Gdiplus::Graphics graphics(screen.get());
  const Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
  Gdiplus::RectF box;
  graphics.MeasureString(measured.c_str(), -1, &font, layout, nullptr, &box);
  return SIZE{static_cast<LONG>(box.Width), static_cast<LONG>(box.Height)};
}

void DrawTextGdiPlus(Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, const std::wstring& text,
                     bool centreHorizontally, const RECT& rect, const Gdiplus::Font& font) {
  const SIZE size = MeasureTextGdiPlus(text, font, rect);
  int y = rect.top + 2;
  if (size.cy < rect.bottom - rect.top) y += (rect.bottom - rect.top - size.cy) / 2;
  const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(y),
                              static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(size.cy));
  Gdiplus::StringFormat format;
  format.SetAlignment(centreHorizontally ? Gdiplus::StringAlignmentCenter : Gdiplus::StringAlignmentNear);
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  graphics.DrawString(text.c_str(), -1, &font, layout, &format, &brush);
}

framework::FontHandle CreateArialFont(int height, int weight) {
  // Grey-scale smoothing, as the text drawn into the skin's art: the run-time
  // texts sit beside it and must not look jagged next to it.
  return framework::FontHandle(CreateFontW(Scaled(height), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FF_SWISS,
                                           L"Arial"));
}

void DrawTextCentered(HDC dc, const std::wstring& text, COLORREF colour, bool centreHorizontally,
                      bool centreVertically, const RECT& rect, HFONT font) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  framework::FontHandle ownFont;
  if (!font) {
    ownFont = CreateArialFont(16, FW_NORMAL);
    font = ownFont.get();
  }
  framework::SelectObjectGuard select(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  int x = rect.left;
  if (centreHorizontally) x = rect.left + (rect.right - extent.cx - rect.left) / 2;
  int y = rect.top;
  if (centreVertically) y = rect.top + (rect.bottom - extent.cy - rect.top) / 2;
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace korvid
