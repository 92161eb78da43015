#include "widgets/control_values.h"

#include <gtest/gtest.h>

#include <climits>

namespace korvid {
namespace {

TEST(WheelSteppedValue, OneStepBoundedByTheMaximumUpAndTheMinimumDown) {
  const struct {
    int value, delta, step, maximum, minimum;
    std::optional<int> out;
  } cases[] = {
      {3950, 120, 50, 16000, 50, 4000}, {190, 120, 50, 200, 50, 200},  {60, -120, 50, 16000, 50, 50},
      {10, 120, 50, 16000, 50, 60},     {0, 120, 50, 16000, 50, 50},   {0, 1, 50, 40, 0, 40},
      {4000, -240, 50, 16000, 50, 3950}, {4000, 0, 50, 16000, 50, std::nullopt},
      {INT_MAX, 120, 50, 16000, 50, 16000}, {INT_MIN, -120, 50, 16000, 50, 50},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WheelSteppedValue(c.value, c.delta, c.step, c.maximum, c.minimum), c.out) << c.value << " " << c.delta;
}

TEST(Slider, ValueFromThePointerRoundedClampedThenSnapped) {
  const SliderScale wide{0, 200, 20, 0, 100, 1};
  const SliderScale tens{0, 200, 20, 0, 100, 10};
  const SliderScale thirty{0, 200, 20, 0, 80, 30};
  const struct {
    SliderScale scale;
    int x;
    std::optional<int> value;
  } cases[] = {
      {wide, 10, 0},      {wide, 100, 50},    {wide, 190, 100},   {wide, 250, 100},  {wide, -40, 0},
      {tens, 89, 40},     // 43.9 -> 44 -> 40
      {tens, 91, 40},     // 45 -> 45: the remainder 5 is not above 5
      {tens, 93, 50},     // 46.1 -> 46 -> 50
      {thirty, 190, 90},  // 80 snaps past the maximum: the snapping follows the clamp
      {{0, 20, 20, 0, 100, 1}, 10, std::nullopt},  // no span to travel
      {{0, 200, 20, 5, 5, 1}, 10, std::nullopt},   // no range
  };
  for (const auto& c : cases) EXPECT_EQ(SliderValueAt(c.scale, c.x), c.value) << c.x;
}

TEST(Slider, ThumbCentreFollowsTheValue) {
  const SliderScale wide{0, 200, 20, 0, 100, 1};
  EXPECT_EQ(SliderCentreX(wide, 0), 10);
  EXPECT_EQ(SliderCentreX(wide, 50), 100);
  EXPECT_EQ(SliderCentreX(wide, 100), 190);
  EXPECT_EQ(SliderCentreX({10, 210, 20, -50, 50, 1}, 0), 10 + 90 + 10);
  // Far outside the range the thumb goes past the edges, by a defined amount.
  EXPECT_EQ(SliderCentreX(wide, INT_MAX), INT_MAX);
  EXPECT_EQ(SliderCentreX(wide, INT_MIN), INT_MIN + 10);
  // The centre truncates: a thumb drawn for a value picks that value or the one below.
  for (int value = 0; value <= 100; ++value) {
    const int picked = SliderValueAt(wide, SliderCentreX(wide, value)).value_or(-1);
    EXPECT_TRUE(picked == value || picked == value - 1) << value << " picked " << picked;
  }
}

}  // namespace
}  // namespace korvid
