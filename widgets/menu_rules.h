#pragma once
#include <cstdint>
#include <optional>
#include <vector>

// The geometry and timing rules of the skinned pop-up menus and combo
// buttons, kept free of windows so that they can be checked on their own.
namespace korvid {

struct PixelPoint {
  int x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};

// A rectangle in pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(PixelPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

// Items are one text line high, stacked from 4 logical pixels below the
// menu's top; the menu is as high as its items plus 8.
inline constexpr int kMenuItemTop = 4;
inline constexpr int kMenuExtraHeight = 8;
// A combo button's menu leaves a strip at its right edge outside every item
// (logical pixels).
inline constexpr int kComboMenuRightStrip = 15;

struct MenuLayout {
  int height = 0;
  std::vector<PixelRect> items;
};
// Lays out `itemCount` items of `textHeight` in a menu `width` wide whose
// items end `rightStrip` logical pixels before its right edge, at `dpi`
// (the text height and the width are device pixels).
MenuLayout LayoutMenu(int itemCount, int textHeight, int width, int rightStrip, int dpi);

// The index of the first item containing p, or -1.
int HitTestItems(const std::vector<PixelRect>& items, PixelPoint p);

// The corner of a menu that goes at the point it pops up at.
enum class PopupCorner { kTopLeft = 0, kBottomLeft = 2, kBottomRight = 3 };

// Where a menu w x h goes when it pops up at (x, y) with `corner` there; a
// value that names no corner leaves it where it is.
std::optional<PixelPoint> PopupOrigin(PopupCorner corner, PixelPoint at, int width, int height);

// The tray menu's top-left corner: its bottom-right corner at the cursor,
// flipped to the other side of the cursor along an axis where it would leave
// the screen's work area (a task bar at the top or the left edge).
PixelPoint TrayMenuOrigin(PixelPoint cursor, int width, int height, const PixelRect& workArea);

// Whether a combo button's menu opens above it (true) or below it (false):
// the side the owner asked for, unless the menu would leave the work area
// there and fits on the other side.
bool ComboMenuOpensUp(bool dropUp, const PixelRect& button, int menuHeight, const PixelRect& workArea);

// A press on a combo button does not open its menu when the menu was seen
// open less than this long ago: the press that closed the menu must not
// reopen it.
inline constexpr uint32_t kMenuReopenGuardMs = 200;
// Tick counts wrap; the difference is taken unsigned.
bool SuppressesMenuOpen(uint32_t now, uint32_t lastMenuTick);

}  // namespace korvid
