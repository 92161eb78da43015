#include <gtest/gtest.h>

#include <string>

#include "skin/text.h"
#include "pixels.h"

namespace korvid {
namespace {

using testing::Canvas;

TEST(MeasureTextGdiPlus, TrailingSpaceMeasuresLikeAnUnderscore) {
  const Gdiplus::Font font(L"Arial", 12.0f);
  ASSERT_EQ(font.GetLastStatus(), Gdiplus::Ok);
  const RECT rect{0, 0, 300, 40};
  struct Case {
    const wchar_t* text;
    const wchar_t* measuredAs;
  } cases[] = {{L"Apply ", L"Apply_"}, {L" ", L"_"}, {L"Key  ", L"Key _"}, {L"Key", L"Key"}};
  for (const Case& c : cases) {
    const SIZE size = MeasureTextGdiPlus(c.text, font, rect);
    const SIZE expected = MeasureTextGdiPlus(c.measuredAs, font, rect);
    EXPECT_GT(expected.cx, 0);
    EXPECT_EQ(size.cx, expected.cx) << std::string(c.text, c.text + wcslen(c.text));
    EXPECT_EQ(size.cy, expected.cy);
  }
  EXPECT_GT(MeasureTextGdiPlus(L"Apply ", font, rect).cx, MeasureTextGdiPlus(L"Apply", font, rect).cx);
  const SIZE empty = MeasureTextGdiPlus(L"", font, rect);
  EXPECT_EQ(empty.cx, 0);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kCanvasWidth = 200, kCanvasHeight = 80;
constexpr RECT kTextRect{40, 20, 160, 60};

framework::FontHandle Arial16() {
  return framework::FontHandle(CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, L"Arial"));
}

TEST(DrawTextCentered, WithoutAFontDrawsArial16InsideTheRectangle) {
  const framework::FontHandle arial = Arial16();
  for (const bool centred : {true, false}) {
    Canvas defaultFont(kCanvasWidth, kCanvasHeight, kWhite);
    DrawTextCentered(defaultFont.dc(), L"Hg Apply", RGB(0, 0, 0), centred, centred, kTextRect);
    Canvas givenFont(kCanvasWidth, kCanvasHeight, kWhite);
    DrawTextCentered(givenFont.dc(), L"Hg Apply", RGB(0, 0, 0), centred, centred, kTextRect, arial.get());

    const RECT ink = defaultFont.InkBounds(kWhite);
    ASSERT_LT(ink.left, ink.right) << "nothing drawn";
    EXPECT_GE(ink.left, kTextRect.left);
    EXPECT_GE(ink.top, kTextRect.top);
    EXPECT_LE(ink.right, kTextRect.right);
    EXPECT_LE(ink.bottom, kTextRect.bottom);
    EXPECT_LE(ink.bottom - ink.top, 16);
    EXPECT_TRUE(defaultFont.SamePixels(givenFont)) << "the default font is not Arial 16";
    if (centred) {
      EXPECT_NEAR(ink.left - kTextRect.left, kTextRect.right - ink.right, 3);
    } else {
      EXPECT_LE(ink.left - kTextRect.left, 2);
    }
  }
}

TEST(DrawTextCentered, LeavesTheCallersFontSelected) {
  Canvas canvas(kCanvasWidth, kCanvasHeight, kWhite);
  const framework::FontHandle arial = Arial16();
  HGDIOBJ before = SelectObject(canvas.dc(), arial.get());
  DrawTextCentered(canvas.dc(), L"Apply", RGB(0, 0, 0), true, true, kTextRect);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_FONT), arial.get());
  SelectObject(canvas.dc(), before);
}

}  // namespace
}  // namespace korvid
