#include <gtest/gtest.h>

#include <string>

#include "framework/image_encoder.h"
#include "framework/shell.h"
#include "skin/elements.h"
#include "skin/sheets.h"
#include "pixels.h"

namespace korvid {
namespace {

using testing::ImageProbe;

// Every sheet is 64 x 48: its left half in a colour of its own, its right
// half in a second colour of its own, so an image tells which sheet and
// which part of it it came from. A sheet stored as a layer over its base
// leaves a band of rows above its last transparent, where the base shows.
constexpr int kSheetWidth = 64, kSheetHeight = 48, kHalf = 32, kLayerGapTop = 40, kLayerGapBottom = 47;
COLORREF LeftColour(int sheet) { return RGB(8 * sheet, 40, 200); }
COLORREF RightColour(int sheet) { return RGB(255 - 8 * sheet, 215, 55); }

// Straddles the halves: columns 0..7 of the cut are left colour, 8..15 right.
constexpr SkinRect kCut = {24, 10, 40, 30};
constexpr int kCutWidth = 16, kCutHeight = 20;

constexpr int kNone = -1;

Gdiplus::Color ToColor(COLORREF colour) {
  return Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// Writes the 32 sheets into the Resources folder beside the test executable
// (where the program looks for them) and loads the skin once.
class SkinElementTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(SkinLoaded());
    folder_ = GetModuleFolder() + L"\\Resources";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    CLSID png{};
    ASSERT_TRUE(framework::FindImageEncoder(L"image/png", &png));
    for (int sheet = 0; sheet < kSheetCount; ++sheet) {
      const bool layered = kSheetBases[sheet] != sheet;
      Gdiplus::Bitmap image(kSheetWidth, kSheetHeight, layered ? PixelFormat32bppARGB : PixelFormat24bppRGB);
      {
        Gdiplus::Graphics graphics(&image);
        graphics.Clear(ToColor(LeftColour(sheet)));
        Gdiplus::SolidBrush right(ToColor(RightColour(sheet)));
        graphics.FillRectangle(&right, kHalf, 0, kSheetWidth - kHalf, kSheetHeight);
        if (layered) {
          graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
          Gdiplus::SolidBrush clear(Gdiplus::Color(0, 0, 0, 0));
          graphics.FillRectangle(&clear, 0, kLayerGapTop, kSheetWidth, kLayerGapBottom - kLayerGapTop);
        }
      }
      const std::wstring name = SkinFileName(static_cast<SkinSheet>(sheet));
      ASSERT_EQ(image.Save((folder_ + name).c_str(), &png, nullptr), Gdiplus::Ok);
    }
    LoadSkin();
  }

  static void TearDownTestSuite() {
    UnloadSkin();  // before GDI+ goes down
    for (int sheet = 0; sheet < kSheetCount; ++sheet) {
      DeleteFileW((folder_ + SkinFileName(static_cast<SkinSheet>(sheet))).c_str());
    }
    RemoveDirectoryW(folder_.c_str());
  }

  static std::wstring folder_;
};

std::wstring SkinElementTest::folder_;

TEST_F(SkinElementTest, EverySheetLoads) {
  for (int sheet = 0; sheet < kSheetCount; ++sheet) {
    const ImageProbe probe(SkinSheetImage(static_cast<SkinSheet>(sheet)));
    EXPECT_EQ(probe.width, kSheetWidth) << "sheet " << sheet;
    EXPECT_EQ(probe.colourAt(2, 2), LeftColour(sheet)) << "sheet " << sheet;
  }
}

TEST_F(SkinElementTest, ALayeredSheetShowsItsBaseWhereItIsTransparent) {
  int layered = 0;
  for (int sheet = 0; sheet < kSheetCount; ++sheet) {
    const int base = kSheetBases[sheet];
    if (base == sheet) continue;
    ++layered;
    const ImageProbe probe(SkinSheetImage(static_cast<SkinSheet>(sheet)));
    EXPECT_EQ(probe.colourAt(2, kLayerGapTop - 1), LeftColour(sheet)) << "sheet " << sheet;
    EXPECT_EQ(probe.colourAt(2, kLayerGapTop), LeftColour(base)) << "sheet " << sheet;
    EXPECT_EQ(probe.colourAt(kSheetWidth - 2, kLayerGapBottom - 1), RightColour(base)) << "sheet " << sheet;
    EXPECT_EQ(probe.colourAt(kSheetWidth - 2, kLayerGapBottom), RightColour(sheet)) << "sheet " << sheet;
  }
  EXPECT_GT(layered, 0);
}

struct CutCase {
  int element, state;
  int sheet;  // kNone: no image
};

constexpr CutCase kCutCases[] = {
    {1, 0, kMainNormal}, {1, 1, kMainOver}, {1, 2, kMainDown}, {1, 3, kMainOff},
    {4, 3, kMainOff}, {8, 1, kMainOver}, {10, 0, kMainNormal}, {14, 2, kMainDown}, {16, 3, kMainOff},
    {29, 0, kMainNormal}, {5, 0, kNone}, {7, 0, kNone}, {9, 0, kNone}, {15, 1, kNone}, {30, 0, kNone},
    {45, 0, kNone},
    {47, 0, kButtonsNormal}, {47, 1, kButtonsOver}, {47, 2, kButtonsDown}, {47, 3, kButtonsNormal},
    {61, 3, kButtonsNormal}, {62, 0, kNone},
    {84, 0, kSensorNormal}, {84, 1, kSensorOver}, {122, 2, kSensorDown}, {122, 3, kSensorOff},
    {123, 0, kNone}, {123, 3, kNone}, {124, 0, kSensorNormal}, {157, 3, kSensorOff}, {158, 0, kNone},
    {231, 0, kNone}, {233, 0, kUpdateNormal}, {233, 1, kUpdateOver}, {236, 2, kUpdateDown}, {240, 3, kUpdateOff},
    {242, 0, kSupportNormal}, {242, 1, kSupportOver}, {243, 2, kSupportDown}, {244, 3, kSupportNormal},
    {245, 0, kNone},
    {250, 0, kSystemMsgNormal}, {251, 1, kSystemMsgOver}, {252, 2, kSystemMsgDown}, {250, 3, kNone},
    {271, 0, kErrorNormal}, {271, 1, kErrorOver}, {271, 2, kErrorDown}, {271, 3, kNone},
    {273, 0, kKeyNormal}, {273, 1, kKeyDown}, {273, 2, kKeyDown}, {273, 3, kKeyNormal}, {279, 1, kKeyDown},
    {280, 0, kNone},
    {363, 0, kNodevNormal}, {363, 1, kSystemMsgOver}, {364, 2, kSystemMsgDown}, {364, 3, kNone},
    {367, 0, kColorNormal}, {371, 1, kColorOver}, {372, 0, kNone}, {373, 2, kColorDown}, {376, 3, kNone},
    {377, 0, kNone}, {382, 0, kNone}, {383, 0, kColorNormal}, {398, 1, kColorOver}, {399, 0, kNone},
    // States outside 0..3 and numbers outside the table.
    {1, 4, kNone}, {1, -1, kNone}, {273, 4, kNone}, {47, 100, kNone}, {-1, 0, kNone}, {1000, 0, kNone},
};

TEST_F(SkinElementTest, CutElementsComeFromTheSheetOfTheirState) {
  for (const CutCase& c : kCutCases) {
    SCOPED_TRACE(::testing::Message() << "element " << c.element << " state " << c.state);
    SkinElement image = GetSkinElementImage(c.element, c.state, kCut);
    if (c.sheet == kNone) {
      EXPECT_EQ(image.get(), nullptr);
      continue;
    }
    ASSERT_NE(image.owned, nullptr);
    EXPECT_EQ(image.sheet, nullptr);
    const ImageProbe probe(image.get());
    EXPECT_EQ(probe.width, kCutWidth);
    EXPECT_EQ(probe.height, kCutHeight);
    EXPECT_EQ(probe.colourAt(3, 10), LeftColour(c.sheet)) << "expected sheet " << c.sheet;
    EXPECT_EQ(probe.colourAt(12, 10), RightColour(c.sheet)) << "expected sheet " << c.sheet;
  }
}

TEST_F(SkinElementTest, WholeSheetElementsAreTheSkinsOwnSheetInEveryState) {
  const struct {
    int element;
    SkinSheet sheet;
  } cases[] = {{46, kButtonsNormal}, {83, kSensorNormal},   {230, kUpdateNormal},  {241, kSupportNormal},
               {249, kSystemMsgNormal}, {270, kErrorNormal}, {272, kKeyNormal},  {362, kNodevNormal},
               {365, kNoDeviceNormal}, {366, kColorNormal}};
  for (const auto& c : cases) {
    for (const int state : {0, 1, 2, 3}) {
      SCOPED_TRACE(::testing::Message() << "element " << c.element << " state " << state);
      SkinElement image = GetSkinElementImage(c.element, state, kCut);
      EXPECT_EQ(image.owned, nullptr);
      EXPECT_EQ(image.sheet, SkinSheetImage(c.sheet));
      const ImageProbe probe(image.get());
      EXPECT_EQ(probe.width, kSheetWidth);
      EXPECT_EQ(probe.height, kSheetHeight);
      EXPECT_EQ(probe.colourAt(2, 2), LeftColour(c.sheet));
    }
  }
}

TEST_F(SkinElementTest, ElementZeroIsACopyOfTheBackgroundTheCallerOwns) {
  for (const int state : {0, 3}) {
    SkinElement image = GetSkinElementImage(0, state, kCut);
    ASSERT_NE(image.owned, nullptr);
    EXPECT_NE(image.get(), SkinSheetImage(kMainBackground));
    const ImageProbe probe(image.get());
    EXPECT_EQ(probe.width, kSheetWidth);
    EXPECT_EQ(probe.height, kSheetHeight);
    EXPECT_EQ(probe.colourAt(2, 2), LeftColour(kMainBackground));
    EXPECT_EQ(probe.colourAt(60, 2), RightColour(kMainBackground));
  }
  // Taking a whole sheet copies it: the skin keeps its own.
  SkinElement sheet = GetSkinElementImage(46, 0, kCut);
  framework::ImagePtr copy = sheet.Take();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy.get(), SkinSheetImage(kButtonsNormal));
  EXPECT_EQ(ImageProbe(SkinSheetImage(kButtonsNormal)).width, kSheetWidth);
}

TEST_F(SkinElementTest, CutTakesExactlyTheRectangle) {
  const struct {
    SkinRect rect;
    int width, height;
    int rightStartsAt;  // first column in the right colour, or the width
  } cases[] = {
      {RectAt(0, 0, kSheetWidth, kSheetHeight), kSheetWidth, kSheetHeight, kHalf},
      {RectAt(31, 47, 2, 1), 2, 1, 1},
      {RectAt(32, 0, 5, 7), 5, 7, 0},
      {RectAt(0, 20, 32, 3), 32, 3, 32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "cut at " << c.rect.left << "," << c.rect.top);
    SkinElement image = GetSkinElementImage(1, kSkinNormal, c.rect);
    const ImageProbe probe(image.get());
    ASSERT_EQ(probe.width, c.width);
    ASSERT_EQ(probe.height, c.height);
    for (int x = 0; x < c.width; ++x) {
      EXPECT_EQ(probe.colourAt(x, c.height - 1), x < c.rightStartsAt ? LeftColour(kMainNormal)
                                                                     : RightColour(kMainNormal))
          << "column " << x;
    }
  }
}

TEST_F(SkinElementTest, CutOutsideTheSheetGivesNone) {
  for (const SkinRect& rect : {RectAt(50, 40, 30, 30), RectAt(-5, 0, 10, 10), RectAt(10, 10, 0, 5),
                               SkinRect{20, 20, 10, 10}}) {
    SkinElement image = GetSkinElementImage(1, kSkinNormal, rect);
    EXPECT_EQ(image.get(), nullptr) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
  }
}

}  // namespace
}  // namespace korvid
