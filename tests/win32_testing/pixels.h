#pragma once
#include <memory>

#include "framework/handles.h"
#include "framework/win32.h"

namespace korvid::testing {

// A 32-bit top-down memory bitmap selected into a memory device context:
// the test draws into dc() and reads the pixels back.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill);
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas();

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF Pixel(int x, int y) const;
  // The smallest rectangle holding every pixel that differs from `background`;
  // empty (all zero) when there is none.
  RECT InkBounds(COLORREF background) const;
  bool SamePixels(const Canvas& other) const;

 private:
  int width_, height_;
  framework::MemoryDc dc_;
  framework::BitmapHandle bitmap_;
  HGDIOBJ previous_ = nullptr;
  const UINT32* bits_ = nullptr;
};

// The size of an image and the colour of one of its pixels, read by drawing
// the image 1:1 onto a canvas.
struct ImageProbe {
  int width = 0, height = 0;
  COLORREF colourAt(int x, int y) const;

  explicit ImageProbe(Gdiplus::Image* image);

 private:
  std::unique_ptr<Canvas> canvas_;
};

}  // namespace korvid::testing
