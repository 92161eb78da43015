#include "skin/sheet_layer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace korvid {
namespace {

// A layer of two rows of three pixels, B, G, R, A, in rows of 13 bytes (the
// last one padding): row 0 is transparent, opaque, partly transparent; row 1
// opaque, transparent (with a colour of its own, which does not count),
// opaque.
constexpr int kWidth = 3, kHeight = 2, kLayerStride = 13;
std::vector<uint8_t> Layer() {
  return {9, 9, 9, 0,    1,  2,  3,  0xFF, 4,  5,  6,  0x80, 0xEE,  //
          7, 8, 9, 0xFF, 30, 31, 32, 0,    10, 11, 12, 0xFF, 0xEE};
}

TEST(SheetLayer, TransparentPixelsTakeTheBasesAndTheOthersStay) {
  const struct {
    const char* what;
    int bytesPerPixel;
    std::vector<uint8_t> base;  // two rows of three pixels, no padding
    std::vector<uint8_t> expected;
  } cases[] = {
      {"a base without alpha gives opaque pixels",
       3,
       {50, 51, 52, 0, 0, 0, 0, 0, 0, 0, 0, 0, 60, 61, 62, 0, 0, 0},
       {50, 51, 52, 0xFF, 1,  2,  3,  0xFF, 4,  5,  6,  0x80, 0xEE,
        7,  8,  9,  0xFF, 60, 61, 62, 0xFF, 10, 11, 12, 0xFF, 0xEE}},
      {"a base with alpha gives its own",
       4,
       {50, 51, 52, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 60, 61, 62, 0, 0, 0, 0, 0},
       {50, 51, 52, 0x40, 1,  2,  3,  0xFF, 4,  5,  6,  0x80, 0xEE,
        7,  8,  9,  0xFF, 60, 61, 62, 0,    10, 11, 12, 0xFF, 0xEE}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> layer = Layer();
    std::vector<uint8_t> base = c.base;
    ASSERT_TRUE(FillLayerFromBase({layer.data(), kLayerStride, 4},
                                  {base.data(), kWidth * c.bytesPerPixel, c.bytesPerPixel}, kWidth, kHeight))
        << c.what;
    EXPECT_EQ(layer, c.expected) << c.what;
  }
}

TEST(SheetLayer, RowsMayRunFromTheBottomUp) {
  // The base as a bottom-up bitmap: its first row in memory is the last.
  std::vector<uint8_t> layer = Layer();
  std::vector<uint8_t> base = {0, 0, 0, 60, 61, 62, 0, 0, 0, 50, 51, 52, 0, 0, 0, 0, 0, 0};
  ASSERT_TRUE(FillLayerFromBase({layer.data(), kLayerStride, 4}, {base.data() + 9, -9, 3}, kWidth, kHeight));
  EXPECT_EQ(layer[0], 50);
  EXPECT_EQ(layer[kLayerStride + 4], 60);
}

TEST(SheetLayer, ArgumentsThatDescribeNoPixelsChangeNothing) {
  std::vector<uint8_t> layer = Layer(), base(64, 0x55);
  const std::vector<uint8_t> before = layer;
  const struct {
    const char* what;
    PixelRows layer, base;
    int width, height;
  } cases[] = {
      {"a layer of 3 bytes a pixel", {layer.data(), kLayerStride, 3}, {base.data(), 9, 3}, kWidth, kHeight},
      {"a base of 2 bytes a pixel", {layer.data(), kLayerStride, 4}, {base.data(), 9, 2}, kWidth, kHeight},
      {"a layer row shorter than the width", {layer.data(), 8, 4}, {base.data(), 9, 3}, kWidth, kHeight},
      {"a base row shorter than the width", {layer.data(), kLayerStride, 4}, {base.data(), 8, 3}, kWidth, kHeight},
      {"no layer", {nullptr, kLayerStride, 4}, {base.data(), 9, 3}, kWidth, kHeight},
      {"no base", {layer.data(), kLayerStride, 4}, {nullptr, 9, 3}, kWidth, kHeight},
      {"a negative size", {layer.data(), kLayerStride, 4}, {base.data(), 9, 3}, -1, kHeight},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(FillLayerFromBase(c.layer, c.base, c.width, c.height)) << c.what;
    EXPECT_EQ(layer, before) << c.what;
  }
}

}  // namespace
}  // namespace korvid
