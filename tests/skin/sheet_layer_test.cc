#include "skin/sheet_layer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace korvid {
namespace {

// A layer of two rows of three pixels, B, G, R, A, with a padded stride:
// row 0 is transparent, opaque, partly transparent; row 1 opaque,
// transparent, opaque.
constexpr int kWidth = 3, kHeight = 2, kLayerStride = 16;
std::vector<uint8_t> Layer(uint8_t partialAlpha) {
  std::vector<uint8_t> layer(kLayerStride * kHeight, 0xEE);
  const uint8_t pixels[kHeight][kWidth][4] = {
      {{9, 9, 9, 0}, {1, 2, 3, 0xFF}, {4, 5, 6, partialAlpha}},
      {{7, 8, 9, 0xFF}, {0, 0, 0, 0}, {10, 11, 12, 0xFF}},
  };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 4; ++c) layer[y * kLayerStride + x * 4 + c] = pixels[y][x][c];
    }
  }
  return layer;
}

TEST(SheetLayer, OnlyThePixelsTheLayerHoldsChange) {
  const struct {
    int bytesPerPixel, stride;
    uint8_t partialAlpha;
    std::vector<uint8_t> expected;  // the target afterwards; 0x55 is what it held
  } cases[] = {
      // With alpha: colour and alpha come from the layer, a partly
      // transparent pixel as it stands; the padding is left alone.
      {4, 13, 0x80, {0x55, 0x55, 0x55, 0x55, 1, 2, 3, 0xFF, 4, 5, 6, 0x80, 0x55,
                     7, 8, 9, 0xFF, 0x55, 0x55, 0x55, 0x55, 10, 11, 12, 0xFF, 0x55}},
      // Colour only: the layer's colour where it is opaque.
      {3, 10, 0xFF, {0x55, 0x55, 0x55, 1, 2, 3, 4, 5, 6, 0x55,
                     7, 8, 9, 0x55, 0x55, 0x55, 10, 11, 12, 0x55}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> target(c.stride * kHeight, 0x55);
    const std::vector<uint8_t> layer = Layer(c.partialAlpha);
    ASSERT_TRUE(OverlayLayer({target.data(), c.stride, c.bytesPerPixel}, layer.data(), kLayerStride, kWidth, kHeight))
        << c.bytesPerPixel;
    EXPECT_EQ(target, c.expected) << c.bytesPerPixel;
  }
}

TEST(SheetLayer, WhatCannotBeWrittenLeavesTheTargetAsItWas) {
  const std::vector<uint8_t> partial = Layer(0x80), opaque = Layer(0xFF);
  std::vector<uint8_t> target(16 * kHeight, 0x55);
  const std::vector<uint8_t> before = target;
  const struct {
    const char* what;
    PixelRows rows;
    const uint8_t* layer;
    int layerStride, width, height;
  } cases[] = {
      {"a see-through pixel on a colour target", {target.data(), 16, 3}, partial.data(), kLayerStride, kWidth, kHeight},
      {"two bytes a pixel", {target.data(), 16, 2}, opaque.data(), kLayerStride, kWidth, kHeight},
      {"a target row shorter than the width", {target.data(), 8, 4}, opaque.data(), kLayerStride, kWidth, kHeight},
      {"a layer row shorter than the width", {target.data(), 16, 4}, opaque.data(), 8, kWidth, kHeight},
      {"no target", {nullptr, 16, 4}, opaque.data(), kLayerStride, kWidth, kHeight},
      {"no layer", {target.data(), 16, 4}, nullptr, kLayerStride, kWidth, kHeight},
      {"a negative size", {target.data(), 16, 4}, opaque.data(), kLayerStride, -1, kHeight},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(OverlayLayer(c.rows, c.layer, c.layerStride, c.width, c.height)) << c.what;
    EXPECT_EQ(target, before) << c.what;
  }
}

}  // namespace
}  // namespace korvid
