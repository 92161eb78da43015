#include "skin/display_scale.h"

#include <cstdint>
#include <iterator>

namespace korvid {
namespace {

int ValidDpi(int dpi) { return dpi > 0 ? dpi : kLogicalDpi; }

// value * numerator / denominator, rounded half away from zero.
int MulDivRounded(int value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t half = denominator / 2;
  const int64_t quotient = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
  if (quotient > INT32_MAX) return INT32_MAX;
  if (quotient < INT32_MIN) return INT32_MIN;
  return static_cast<int>(quotient);
}

}  // namespace

int ScaleToDpi(int logical, int dpi) { return MulDivRounded(logical, ValidDpi(dpi), kLogicalDpi); }

SkinRect ScaleToDpi(const SkinRect& logical, int dpi) {
  return {ScaleToDpi(logical.left, dpi), ScaleToDpi(logical.top, dpi), ScaleToDpi(logical.right, dpi),
          ScaleToDpi(logical.bottom, dpi)};
}

int UnscaleFromDpi(int device, int dpi) { return MulDivRounded(device, kLogicalDpi, ValidDpi(dpi)); }

int ArtStepFor(int dpi) {
  const int64_t scaled = static_cast<int64_t>(ValidDpi(dpi)) * 100;
  for (int step : kArtSteps) {
    if (scaled <= static_cast<int64_t>(step) * kLogicalDpi) return step;
  }
  return *std::prev(std::end(kArtSteps));
}

int DpiOfArtStep(int step) { return MulDivRounded(step, kLogicalDpi, 100); }

}  // namespace korvid
