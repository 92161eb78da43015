#include "widgets/menu_rules.h"

#include "skin/display_scale.h"

namespace korvid {

MenuLayout LayoutMenu(int itemCount, int textHeight, int width, int rightStrip, int dpi) {
  MenuLayout layout;
  if (itemCount <= 0) return layout;
  const int itemTop = ScaleToDpi(kMenuItemTop, dpi);
  const int right = width - ScaleToDpi(rightStrip, dpi);
  layout.height = itemCount * textHeight + ScaleToDpi(kMenuExtraHeight, dpi);
  layout.items.reserve(static_cast<size_t>(itemCount));
  for (int i = 0; i < itemCount; ++i) {
    layout.items.push_back({1, itemTop + i * textHeight, right, itemTop + (i + 1) * textHeight});
  }
  return layout;
}

int HitTestItems(const std::vector<PixelRect>& items, PixelPoint p) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].Contains(p)) return static_cast<int>(i);
  }
  return -1;
}

std::optional<PixelPoint> PopupOrigin(PopupCorner corner, PixelPoint at, int width, int height) {
  switch (corner) {
    case PopupCorner::kTopLeft:
      return at;
    case PopupCorner::kBottomLeft:
      return PixelPoint{at.x, at.y - height};
    case PopupCorner::kBottomRight:
      return PixelPoint{at.x - width, at.y - height};
    default:
      return std::nullopt;
  }
}

PixelPoint TrayMenuOrigin(PixelPoint cursor, int width, int height, const PixelRect& workArea) {
  PixelPoint origin{cursor.x - width, cursor.y - height};
  if (origin.x < workArea.left && cursor.x + width <= workArea.right) origin.x = cursor.x;
  if (origin.y < workArea.top && cursor.y + height <= workArea.bottom) origin.y = cursor.y;
  return origin;
}

bool ComboMenuOpensUp(bool dropUp, const PixelRect& button, int menuHeight, const PixelRect& workArea) {
  const bool fitsBelow = button.bottom + menuHeight <= workArea.bottom;
  const bool fitsAbove = button.top - menuHeight >= workArea.top;
  if (dropUp) return fitsAbove || !fitsBelow;
  return !fitsBelow && fitsAbove;
}

bool SuppressesMenuOpen(uint32_t now, uint32_t lastMenuTick) {
  return static_cast<uint32_t>(now - lastMenuTick) < kMenuReopenGuardMs;
}

}  // namespace korvid
