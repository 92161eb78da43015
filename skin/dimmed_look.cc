#include "skin/dimmed_look.h"

namespace korvid {

void DrawDimmedVeil(Gdiplus::Graphics& graphics, const RECT& rect) {
  Gdiplus::SolidBrush veil{Gdiplus::Color(kDimmedVeil)};
  graphics.FillRectangle(&veil, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                         static_cast<INT>(rect.right - rect.left), static_cast<INT>(rect.bottom - rect.top));
}

void DrawDimmedVeil(HDC dc, const RECT& rect) {
  Gdiplus::Graphics graphics(dc);
  DrawDimmedVeil(graphics, rect);
}

}  // namespace korvid
