#pragma once
#include <cstdint>

// A sheet that differs from its family's base sheet only in a few places
// (a control's hover, pressed or switched-off look) is stored as a layer:
// the sheet's own pixels where it differs, fully transparent elsewhere.
namespace korvid {

// Rows of 8-bit pixels in memory, blue first as Windows lays them out:
// B, G, R with 3 bytes a pixel, or B, G, R, A with 4. A negative stride
// runs from the bottom row up.
struct PixelRows {
  uint8_t* pixels;
  int stride;  // bytes from one row to the next
  int bytesPerPixel;
};

// Makes a decoded layer (4 bytes a pixel) the whole sheet: each of its fully
// transparent pixels takes the base's pixel at the same place, opaque when
// the base has no alpha; its other pixels stay as they are. Returns false,
// changing nothing, when the arguments do not describe pixels of that size.
bool FillLayerFromBase(const PixelRows& layer, const PixelRows& base, int width, int height);

}  // namespace korvid
