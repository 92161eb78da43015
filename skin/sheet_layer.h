#pragma once
#include <cstdint>

// A sheet that differs from its family's base sheet only in a few places
// (a control's hover, pressed or switched-off look) is stored as a layer:
// the sheet's own pixels where it differs, fully transparent elsewhere.
namespace korvid {

// Rows of 8-bit pixels in memory, blue first as Windows lays them out:
// B, G, R with 3 bytes a pixel, or B, G, R, A with 4.
struct PixelRows {
  uint8_t* pixels;
  int stride;  // bytes from one row to the next
  int bytesPerPixel;
};

// Writes the layer's pixels (B, G, R, A rows of the target's size) over the
// target wherever the layer is not fully transparent: its colour, and its
// alpha when the target has one. Returns false, leaving the target as it was,
// when a 3-byte target would need a pixel that is not opaque or the
// arguments do not describe pixels.
bool OverlayLayer(const PixelRows& target, const uint8_t* layer, int layerStride, int width, int height);

}  // namespace korvid
