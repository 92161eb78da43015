#pragma once
#include <functional>

#include "framework/handles.h"
#include "skin/sheets.h"

namespace korvid {

// An image a control shows only in some state (pointer over, pressed, off,
// busy), cut from its sheet when first drawn rather than when the control
// is placed: a window then decodes, before it first shows, only the sheets
// of what it shows. CutLaterImages cuts every one still waiting, once the
// window has painted. Lives on the thread of the windows, as the skin does.
class LaterImage {
 public:
  // Makes the image; null when it cannot be made.
  using Cut = std::function<framework::ImagePtr()>;

  LaterImage() = default;
  LaterImage(const LaterImage&) = delete;
  LaterImage& operator=(const LaterImage&) = delete;
  ~LaterImage();

  // The image from now on (none: null), in place of any cut still waiting.
  void Set(framework::ImagePtr image);
  // The image `cut` makes when it is first asked for (or CutLaterImages runs).
  void SetLater(Cut cut);
  // Whether an image is held or waits to be cut.
  explicit operator bool() const { return image_ || cut_; }
  // The image, cut now if it was waiting; null when there is none or its
  // cut failed.
  Gdiplus::Image* get() const;
  // Cuts it now if it was waiting.
  void CutNow() const;

 private:
  mutable framework::ImagePtr image_;
  mutable Cut cut_;
};

// The rectangle (in logical pixels) of a sheet at the windows' scale, cut
// when the image is first needed.
LaterImage::Cut LaterSkinCut(SkinSheet sheet, const SkinRect& logicalRect);
// The same for a rectangle in device pixels of the sheet at the windows' scale.
LaterImage::Cut LaterSkinCutAt(SkinSheet sheet, const SkinRect& deviceRect);

// Cuts every image still waiting, then lets the skin release the sheets it
// decoded for them.
void CutLaterImages();

}  // namespace korvid
