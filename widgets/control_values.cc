#include "widgets/control_values.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace korvid {
namespace {

int Saturate(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

int LeadingInteger(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  long long magnitude = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    // Past INT_MAX + 1 every further digit changes nothing.
    magnitude = std::min<long long>(magnitude * 10 + (text[i] - L'0'), static_cast<long long>(INT_MAX) + 1);
  }
  return Saturate(negative ? -magnitude : magnitude);
}

std::optional<int> WheelSteppedValue(int value, int delta, int step, int maximum, int minimum) {
  if (delta > 0) return std::min(maximum, Saturate(static_cast<long long>(value) + step));
  if (delta < 0) return std::max(minimum, Saturate(static_cast<long long>(value) - step));
  return std::nullopt;
}

int SliderCentreX(const SliderScale& scale, int position) {
  const int span = scale.right - scale.thumbWidth - scale.left;
  const int range = scale.maximum - scale.minimum;
  const float fraction = range != 0 ? static_cast<float>(position - scale.minimum) / static_cast<float>(range) : 0.0f;
  const double offset = static_cast<double>(static_cast<float>(span) * fraction);
  // A position far outside the range puts the thumb beyond an edge, never into undefined arithmetic.
  const int travelled = std::isfinite(offset) ? static_cast<int>(std::clamp(offset, double{INT_MIN}, double{INT_MAX})) : 0;
  return Saturate(static_cast<long long>(scale.left) + travelled + scale.thumbWidth / 2);
}

std::optional<int> SliderValueAt(const SliderScale& scale, int x) {
  const int span = scale.right - scale.thumbWidth - scale.left;
  if (span <= 0 || scale.maximum <= scale.minimum) return std::nullopt;
  const long long a = static_cast<long long>(x) - scale.thumbWidth / 2 - scale.left;
  const float f = static_cast<float>(static_cast<long double>(a) * (static_cast<long long>(scale.maximum) - scale.minimum) /
                                         span +
                                     scale.minimum);
  if (!std::isfinite(f)) return std::nullopt;
  const double whole = std::trunc(static_cast<double>(f));
  long long value = static_cast<long long>(std::clamp(whole, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
  if (static_cast<double>(f) - whole >= 0.5) ++value;
  value = std::clamp<long long>(value, scale.minimum, scale.maximum);
  const long long step = std::max(1, scale.step);
  long long q = value / step;
  if (value % step > step / 2) ++q;
  return Saturate(q * step);
}

}  // namespace korvid
