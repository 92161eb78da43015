#pragma once
#include <optional>

#include "framework/handles.h"
#include "framework/window.h"

namespace korvid {

// A horizontal slider painted from a track and a thumb image. It takes over
// a template trackbar: the click and drag set a value snapped to the step,
// and every change of value is sent to the parent as WM_SYSCOMMAND (own
// control ID, the new value).
class CZebSliderCtrl : public framework::CWnd {
 public:
  enum State : int { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

  CZebSliderCtrl();

  // The owner provides a thumb image, a maximum above the minimum, a step of
  // at least 1 and a client area wider than the thumb; without them the
  // slider draws what it can and the pointer picks no value.
  framework::ImagePtr trackImage;
  framework::ImagePtr thumbImage;
  framework::ImagePtr thumbHoverImage;
  framework::ImagePtr thumbDisabledImage;
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int step = 1;
  bool showValue = false;
  framework::FontHandle valueFont;
  Gdiplus::ARGB valueColour = 0xFFFFFFFF;
  int state = kNormal;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) const;

 private:
  int ThumbWidth() const;
  void SetValueFromX(int x);
  void OnMouseMove(WPARAM keyFlags, LPARAM point);

  bool pressed_ = false;
  bool tracking_ = false;
  int savedState_ = kNormal;
  // Until the first report, the position before the change stands for it:
  // a click on the current value reports nothing.
  std::optional<int> lastReported_;
};

}  // namespace korvid
