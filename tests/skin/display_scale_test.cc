#include "skin/display_scale.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(DisplayScale, ValuesRoundAsTheSystemRoundsThem) {
  const struct {
    int logical, dpi, device;
  } cases[] = {
      {1068, 96, 1068}, {647, 96, 647},   {1068, 120, 1335}, {647, 120, 809},   // 808.75
      {647, 144, 971},                                                          // 970.5: half goes up
      {647, 168, 1132},                                                         // 1132.25
      {1068, 192, 2136}, {2, 120, 3},     {-2, 120, -3},     {0, 192, 0},
      {10, 0, 10},                                                              // no DPI: 96
      {100, 110, 115},                                                          // 114.58
      {2000000000, 192, 2147483647},                                            // saturates
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.logical, c.dpi), c.device) << c.logical << " at " << c.dpi;
  }
}

TEST(DisplayScale, RectanglesThatMeetKeepMeeting) {
  // Two neighbours, scaled on their own, share the edge at every DPI.
  const SkinRect left = RectAt(623, 132, 282, 34), below = RectAt(623, 166, 282, 3);
  for (int dpi : {96, 110, 120, 144, 168, 192, 240}) {
    const SkinRect a = ScaleToDpi(left, dpi), b = ScaleToDpi(below, dpi);
    EXPECT_EQ(a.bottom, b.top) << dpi;
    EXPECT_EQ(a.left, b.left) << dpi;
  }
  EXPECT_EQ(ScaleToDpi(RectAt(3, 90, 1062, 554), 144), (SkinRect{5, 135, 1598, 966}));
}

TEST(DisplayScale, ArtStepIsTheOneAtOrAboveTheScale) {
  const struct {
    int dpi, step;
  } cases[] = {{96, 100},  {72, 100},  {97, 125},  {120, 125}, {121, 150}, {144, 150},
               {168, 175}, {169, 200}, {192, 200}, {288, 200}, {0, 100}};
  for (const auto& c : cases) EXPECT_EQ(ArtStepFor(c.dpi), c.step) << c.dpi;
  for (int step : kArtSteps) EXPECT_EQ(ArtStepFor(DpiOfArtStep(step)), step) << step;
}

TEST(DisplayScale, UnscalingFindsTheLogicalSizeOfEveryStepsSheet) {
  // A step's sheet is the logical size scaled; scaling back gives it again.
  for (int step : kArtSteps) {
    const int dpi = DpiOfArtStep(step);
    for (int logical : {1, 2, 3, 421, 647, 1062, 1068}) {
      EXPECT_EQ(UnscaleFromDpi(ScaleToDpi(logical, dpi), dpi), logical) << logical << " at " << step << " %";
    }
  }
}

}  // namespace
}  // namespace korvid
