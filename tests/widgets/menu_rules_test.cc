#include "widgets/menu_rules.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(MenuLayout, NineItemsOfSixteenPixelsStackFromFourPixelsDown) {
  const MenuLayout layout = LayoutMenu(9, 16, 280, kComboMenuRightStrip, 96);
  EXPECT_EQ(layout.height, 9 * 16 + 8);
  ASSERT_EQ(layout.items.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(layout.items[static_cast<size_t>(i)], (PixelRect{1, 4 + 16 * i, 265, 4 + 16 * (i + 1)})) << i;
  }
}

TEST(MenuLayout, FullWidthItemsAndEmptyMenu) {
  EXPECT_EQ(LayoutMenu(2, 18, 105, 0, 96).items.back(), (PixelRect{1, 22, 105, 40}));
  const MenuLayout empty = LayoutMenu(0, 16, 105, 15, 96);
  EXPECT_EQ(empty.height, 0);
  EXPECT_TRUE(empty.items.empty());
}

TEST(MenuLayout, MarginsAndStripGrowWithTheScaleTheTextHeightAlreadyHas) {
  // At 150 % the text is measured in the larger font already: 24 high.
  const MenuLayout layout = LayoutMenu(2, 24, 420, kComboMenuRightStrip, 144);
  EXPECT_EQ(layout.height, 2 * 24 + 12);
  EXPECT_EQ(layout.items.front(), (PixelRect{1, 6, 420 - 23, 30}));  // 22.5 rounds up
  EXPECT_EQ(layout.items.back(), (PixelRect{1, 30, 420 - 23, 54}));
}

TEST(MenuHitTest, EdgesBelongToTheItemBelowAndTheStripToNone) {
  const std::vector<PixelRect> items = LayoutMenu(3, 16, 100, kComboMenuRightStrip, 96).items;
  struct Case {
    PixelPoint point;
    int expected;
  };
  const Case cases[] = {
      {{1, 4}, 0},     {{84, 19}, 0},  {{10, 20}, 1},  {{10, 51}, 2},
      {{0, 10}, -1},   // the frame column
      {{85, 10}, -1},  // the strip at the right edge
      {{10, 3}, -1},   {{10, 52}, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTestItems(items, c.point), c.expected) << c.point.x << "," << c.point.y;
  }
}

TEST(PopupOrigin, ModesPlaceACornerAtThePoint) {
  const PixelPoint at{500, 400};
  EXPECT_EQ(PopupOrigin(PopupCorner::kTopLeft, at, 100, 40), (PixelPoint{500, 400}));
  EXPECT_EQ(PopupOrigin(PopupCorner::kBottomLeft, at, 100, 40), (PixelPoint{500, 360}));
  EXPECT_EQ(PopupOrigin(PopupCorner::kBottomRight, at, 100, 40), (PixelPoint{400, 360}));
  for (int other : {1, 4, -1}) EXPECT_FALSE(PopupOrigin(static_cast<PopupCorner>(other), at, 100, 40).has_value()) << other;
}

TEST(TrayMenuOrigin, BottomRightAtTheCursorUnlessThatLeavesTheWorkArea) {
  const PixelRect screen{0, 0, 1280, 1024};
  struct Case {
    const char* where;
    PixelPoint cursor;
    PixelPoint expected;
  };
  const Case cases[] = {
      {"tray at the bottom right", {1250, 1010}, {1145, 970}},
      {"tray at the top left", {13, 35}, {13, 35}},
      {"tray at the top right", {1250, 10}, {1145, 10}},
      {"tray at the bottom left", {20, 1010}, {20, 970}},
      {"exactly fitting", {105, 40}, {0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrayMenuOrigin(c.cursor, 105, 40, screen), c.expected) << c.where;
  }
  // A second monitor left of the primary one has negative coordinates.
  EXPECT_EQ(TrayMenuOrigin({-20, 700}, 105, 40, PixelRect{-1920, 0, 0, 1080}), (PixelPoint{-125, 660}));
}

TEST(ComboMenuSide, TheOwnersSideUnlessOnlyTheOtherFits) {
  const PixelRect screen{0, 0, 1280, 1024};
  struct Case {
    const char* where;
    bool dropUp;
    PixelRect button;
    bool up;
  };
  const Case cases[] = {
      {"room below", false, {100, 300, 380, 331}, false},
      {"room above, asked up", true, {100, 300, 380, 331}, true},
      {"near the bottom edge", false, {100, 900, 380, 931}, true},
      {"near the top edge, asked up", true, {100, 50, 380, 81}, false},
      {"no room either side keeps the owner's side", false, {100, 10, 380, 1000}, false},
      {"exactly fitting below", false, {100, 841, 380, 872}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComboMenuOpensUp(c.dropUp, c.button, 152, screen), c.up) << c.where;
  }
}

TEST(MenuReopenGuard, TwoHundredMillisecondsAfterTheLastTickAcrossTheWrap) {
  struct Case {
    uint32_t now, lastTick;
    bool suppressed;
  };
  const Case cases[] = {
      {10'000, 10'000, true}, {10'199, 10'000, true}, {10'200, 10'000, false}, {50'000, 10'000, false},
      // The tick count wraps after 49.7 days.
      {50, 0xFFFFFFF0u, true}, {0xFFFFFFF0u + 200u, 0xFFFFFFF0u, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SuppressesMenuOpen(c.now, c.lastTick), c.suppressed) << c.now << " after " << c.lastTick;
  }
}

}  // namespace
}  // namespace korvid
