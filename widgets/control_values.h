#pragma once
#include <optional>
#include <string_view>

// The arithmetic of the skinned edit's wheel stepping and of the slider,
// kept free of windows so that it can be checked on its own.
namespace korvid {

// The integer a field's text starts with: blanks, an optional sign, then
// the leading digits; 0 without digits. A number too long for an int
// saturates at INT_MAX (or INT_MIN) rather than wrapping.
int LeadingInteger(std::wstring_view text);

// One wheel notch on a field showing `value`: up (delta > 0) adds the step
// up to the maximum, down subtracts it down to the minimum; a zero delta
// writes nothing. Sums that leave the int range saturate first.
std::optional<int> WheelSteppedValue(int value, int delta, int step, int maximum, int minimum);

// A slider's geometry and range: client left and right edges, thumb width.
struct SliderScale {
  int left = 0, right = 0;
  int thumbWidth = 0;
  int minimum = 0, maximum = 100;
  int step = 1;
};
// The x of the thumb's centre for a value.
int SliderCentreX(const SliderScale& scale, int position);
// The value a pointer at x picks: rounded half up, limited to the range,
// then snapped to a multiple of the step (relative to 0, so it may pass the
// maximum). Nothing when the scale gives no number (no span to travel).
std::optional<int> SliderValueAt(const SliderScale& scale, int x);

}  // namespace korvid
