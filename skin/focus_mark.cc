#include "skin/focus_mark.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

constexpr Gdiplus::REAL kRingWidth = 2.0f;
constexpr Gdiplus::REAL kCornerRadius = 5.0f;
constexpr wchar_t kCuesProperty[] = L"korvid.keyboardCues";
// A faint dark rim outside the ring keeps it readable on the gold faces; the
// white ring on gold has a solid one, as wide as the ring.
constexpr Gdiplus::ARGB kRimColour = 0x99000000;
constexpr Gdiplus::ARGB kSolidRimColour = 0xFF141414;

void AddRoundedRect(Gdiplus::GraphicsPath& path, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                    Gdiplus::REAL height, Gdiplus::REAL radius) {
  const Gdiplus::REAL r = std::min(radius, std::min(width, height) / 2.0f);
  const Gdiplus::REAL d = 2.0f * r;
  path.AddArc(x, y, d, d, 180.0f, 90.0f);
  path.AddArc(x + width - d, y, d, d, 270.0f, 90.0f);
  path.AddArc(x + width - d, y + height - d, d, d, 0.0f, 90.0f);
  path.AddArc(x, y + height - d, d, d, 90.0f, 90.0f);
  path.CloseFigure();
}

}  // namespace

void DrawFocusMark(Gdiplus::Graphics& graphics, const RECT& rect, FocusMarkLook look) {
  const Gdiplus::REAL width = static_cast<Gdiplus::REAL>(rect.right - rect.left);
  const Gdiplus::REAL height = static_cast<Gdiplus::REAL>(rect.bottom - rect.top);
  if (width < ScaledF(6) || height < ScaledF(6)) return;
  const Gdiplus::REAL ringWidth = ScaledF(kRingWidth), cornerRadius = ScaledF(kCornerRadius);
  const Gdiplus::SmoothingMode previous = graphics.GetSmoothingMode();
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const Gdiplus::REAL left = static_cast<Gdiplus::REAL>(rect.left);
  const Gdiplus::REAL top = static_cast<Gdiplus::REAL>(rect.top);
  const bool onGold = look == FocusMarkLook::kOnGold;
  {
    const Gdiplus::REAL rimWidth = onGold ? ringWidth : ScaledF(1.0f);
    Gdiplus::GraphicsPath rim;
    AddRoundedRect(rim, left + rimWidth / 2.0f, top + rimWidth / 2.0f, width - rimWidth, height - rimWidth,
                   cornerRadius + ScaledF(1.0f));
    Gdiplus::Pen pen{Gdiplus::Color(onGold ? kSolidRimColour : kRimColour), rimWidth};
    graphics.DrawPath(&pen, &rim);
  }
  Gdiplus::GraphicsPath ring;
  const Gdiplus::REAL inset = (onGold ? ringWidth : ScaledF(1.0f)) + ringWidth / 2.0f;
  AddRoundedRect(ring, left + inset, top + inset, width - 2.0f * inset, height - 2.0f * inset, cornerRadius);
  Gdiplus::Pen pen{Gdiplus::Color(onGold ? kFocusMarkOnGoldColour : kFocusMarkColour), ringWidth};
  graphics.DrawPath(&pen, &ring);
  graphics.SetSmoothingMode(previous);
}

void DrawFocusMark(HDC dc, const RECT& rect) {
  Gdiplus::Graphics graphics(dc);
  DrawFocusMark(graphics, rect);
}

void DrawFocusUnderline(HDC dc, int left, int right, int top) {
  if (right - left < Scaled(6)) return;
  Gdiplus::Graphics graphics(dc);
  Gdiplus::SolidBrush brush{Gdiplus::Color(kFocusMarkColour)};
  graphics.FillRectangle(&brush, left, top, right - left, Scaled(static_cast<int>(kRingWidth)));
}

bool ShowsFocusMark(HWND control) {
  if (!control || GetFocus() != control) return false;
  return KeyboardCuesShown(GetAncestor(control, GA_ROOT));
}

bool KeyboardCuesShown(HWND topLevel) { return topLevel && GetPropW(topLevel, kCuesProperty) != nullptr; }

void SetKeyboardCuesShown(HWND topLevel, bool shown) {
  if (!topLevel) return;
  if (shown) {
    SetPropW(topLevel, kCuesProperty, reinterpret_cast<HANDLE>(1));
  } else {
    RemovePropW(topLevel, kCuesProperty);
  }
}

}  // namespace korvid
