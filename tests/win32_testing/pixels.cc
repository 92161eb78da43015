#include "pixels.h"

namespace korvid::testing {

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height), dc_(nullptr) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<const UINT32*>(bits);
  previous_ = SelectObject(dc_.get(), bitmap_.get());
  const RECT all{0, 0, width, height};
  framework::GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
  FillRect(dc_.get(), &all, brush.get());
}

Canvas::~Canvas() {
  if (previous_) SelectObject(dc_.get(), previous_);
}

COLORREF Canvas::Pixel(int x, int y) const {
  GdiFlush();
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const UINT32 value = bits_[y * width_ + x];  // 0x00RRGGBB
  return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

RECT Canvas::InkBounds(COLORREF background) const {
  RECT bounds{width_, height_, -1, -1};
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (Pixel(x, y) == background) continue;
      bounds.left = std::min<LONG>(bounds.left, x);
      bounds.top = std::min<LONG>(bounds.top, y);
      bounds.right = std::max<LONG>(bounds.right, x + 1);
      bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
    }
  }
  if (bounds.right < 0) return RECT{};
  return bounds;
}

bool Canvas::SamePixels(const Canvas& other) const {
  if (width_ != other.width_ || height_ != other.height_) return false;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (Pixel(x, y) != other.Pixel(x, y)) return false;
    }
  }
  return true;
}

ImageProbe::ImageProbe(Gdiplus::Image* image) {
  if (!image) return;
  width = static_cast<int>(image->GetWidth());
  height = static_cast<int>(image->GetHeight());
  if (width <= 0 || height <= 0) return;
  canvas_ = std::make_unique<Canvas>(width, height, RGB(0, 0, 0));
  Gdiplus::Graphics graphics(canvas_->dc());
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  graphics.DrawImage(image, 0, 0, width, height);
}

COLORREF ImageProbe::colourAt(int x, int y) const { return canvas_ ? canvas_->Pixel(x, y) : CLR_INVALID; }

}  // namespace korvid::testing
