#include "skin/sheet_layer.h"

#include <cstddef>
#include <cstdlib>

namespace korvid {
namespace {

constexpr int kAlpha = 3;
constexpr uint8_t kOpaque = 0xFF;

bool Describes(const PixelRows& rows, int width) {
  return rows.pixels && (rows.bytesPerPixel == 3 || rows.bytesPerPixel == 4) &&
         std::abs(static_cast<long long>(rows.stride)) >= static_cast<long long>(width) * rows.bytesPerPixel;
}

uint8_t* Row(const PixelRows& rows, int y) { return rows.pixels + static_cast<ptrdiff_t>(rows.stride) * y; }

}  // namespace

bool FillLayerFromBase(const PixelRows& layer, const PixelRows& base, int width, int height) {
  if (width < 0 || height < 0 || layer.bytesPerPixel != 4 || !Describes(layer, width) || !Describes(base, width)) {
    return false;
  }
  const int baseBytes = base.bytesPerPixel;
  for (int y = 0; y < height; ++y) {
    uint8_t* to = Row(layer, y);
    const uint8_t* from = Row(base, y);
    for (int x = 0; x < width; ++x, to += 4, from += baseBytes) {
      if (to[kAlpha] != 0) continue;
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[kAlpha] = baseBytes == 4 ? from[kAlpha] : kOpaque;
    }
  }
  return true;
}

}  // namespace korvid
