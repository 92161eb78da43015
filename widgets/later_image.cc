#include "widgets/later_image.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace korvid {
namespace {

// The images whose cut waits, in the order they were set.
std::vector<const LaterImage*>& Waiting() {
  static std::vector<const LaterImage*> waiting;
  return waiting;
}

void StopWaiting(const LaterImage* image) {
  auto& waiting = Waiting();
  waiting.erase(std::remove(waiting.begin(), waiting.end(), image), waiting.end());
}

}  // namespace

LaterImage::~LaterImage() {
  if (cut_) StopWaiting(this);
}

void LaterImage::Set(framework::ImagePtr image) {
  if (cut_) StopWaiting(this);
  cut_ = nullptr;
  image_ = std::move(image);
}

void LaterImage::SetLater(Cut cut) {
  image_.reset();
  if (!cut_ && cut) Waiting().push_back(this);
  if (cut_ && !cut) StopWaiting(this);
  cut_ = std::move(cut);
}

void LaterImage::CutNow() const {
  if (!cut_) return;
  // Taken out first: a cut that fails may report it in a message box,
  // inside which this image may be drawn again.
  const Cut cut = std::exchange(cut_, nullptr);
  StopWaiting(this);
  image_ = cut();
}

Gdiplus::Image* LaterImage::get() const {
  CutNow();
  return image_.get();
}

LaterImage::Cut LaterSkinCut(SkinSheet sheet, const SkinRect& logicalRect) {
  return [sheet, logicalRect] { return CropSkinImage(sheet, logicalRect); };
}

LaterImage::Cut LaterSkinCutAt(SkinSheet sheet, const SkinRect& deviceRect) {
  return [sheet, deviceRect] { return CropSkinImage(SkinSheetImage(sheet), deviceRect); };
}

void CutLaterImages() {
  // Each cut leaves the list as it is made.
  while (!Waiting().empty()) Waiting().front()->CutNow();
  ReleaseSkinSheets();
}

}  // namespace korvid
