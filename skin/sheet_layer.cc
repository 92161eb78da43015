#include "skin/sheet_layer.h"

#include <cstddef>

namespace korvid {
namespace {

constexpr int kLayerBytesPerPixel = 4;
constexpr int kAlpha = 3;

const uint8_t* LayerRow(const uint8_t* layer, int stride, int y) {
  return layer + static_cast<ptrdiff_t>(stride) * y;
}

}  // namespace

bool OverlayLayer(const PixelRows& target, const uint8_t* layer, int layerStride, int width, int height) {
  const int bytes = target.bytesPerPixel;
  if (!target.pixels || !layer || width < 0 || height < 0 || (bytes != 3 && bytes != kLayerBytesPerPixel) ||
      target.stride < width * bytes || layerStride < width * kLayerBytesPerPixel) {
    return false;
  }
  // A colour target cannot take a pixel the layer leaves partly see-through;
  // refuse before anything is written.
  if (bytes == 3) {
    for (int y = 0; y < height; ++y) {
      const uint8_t* from = LayerRow(layer, layerStride, y);
      for (int x = 0; x < width; ++x, from += kLayerBytesPerPixel) {
        if (from[kAlpha] != 0 && from[kAlpha] != 0xFF) return false;
      }
    }
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = LayerRow(layer, layerStride, y);
    uint8_t* to = target.pixels + static_cast<ptrdiff_t>(target.stride) * y;
    for (int x = 0; x < width; ++x, from += kLayerBytesPerPixel, to += bytes) {
      if (from[kAlpha] == 0) continue;
      for (int channel = 0; channel < bytes; ++channel) to[channel] = from[channel];
    }
  }
  return true;
}

}  // namespace korvid
