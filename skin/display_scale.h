#pragma once

// Display scale: the skin is laid out in logical pixels, which are device
// pixels at 96 DPI (100 %). Its art is drawn for a few scale steps; a
// window at another DPI shows the art of the step at or above its scale,
// resampled to fit.
namespace korvid {

inline constexpr int kLogicalDpi = 96;
// The scale steps the art is drawn for, in percent.
inline constexpr int kArtSteps[] = {100, 125, 150, 175, 200};

// A rectangle in pixels: left, top, right and bottom.
struct SkinRect {
  int left, top, right, bottom;
};
constexpr SkinRect RectAt(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
constexpr bool operator==(const SkinRect& a, const SkinRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A logical value in device pixels at `dpi`, rounded half away from zero as
// MulDiv rounds. A DPI of 0 or less counts as 96.
int ScaleToDpi(int logical, int dpi);
// A rectangle scaled edge by edge, so that rectangles that meet at 96 DPI
// meet at every DPI.
SkinRect ScaleToDpi(const SkinRect& logical, int dpi);
// A device value at `dpi` back in logical pixels, rounded to the nearest.
int UnscaleFromDpi(int device, int dpi);
// The art step for a DPI: the smallest step at or above its scale, the
// largest step above them all.
int ArtStepFor(int dpi);
// The DPI a step's art is drawn for (125 -> 120).
int DpiOfArtStep(int step);

}  // namespace korvid
