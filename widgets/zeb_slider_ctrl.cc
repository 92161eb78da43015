#include "widgets/zeb_slider_ctrl.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "framework/buffered_paint.h"
#include "skin/text.h"
#include "widgets/control_values.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

constexpr int kValueFontHeight = 13;
constexpr int kValueTextHeight = 20;

}  // namespace

CZebSliderCtrl::CZebSliderCtrl() : valueFont(CreateArialFont(kValueFontHeight, FW_NORMAL)) {}

int CZebSliderCtrl::ThumbWidth() const { return thumbImage ? static_cast<int>(thumbImage->GetWidth()) : 0; }

void CZebSliderCtrl::SetValueFromX(int x) {
  const RECT client = GetClientRect();
  const SliderScale scale{client.left, client.right, ThumbWidth(), minimum, maximum, step};
  const std::optional<int> value = SliderValueAt(scale, x);
  if (!value) return;
  const int before = position;
  position = *value;
  if (position == lastReported_.value_or(before)) return;
  lastReported_ = position;
  SendMessageW(GetParent(), WM_SYSCOMMAND, static_cast<WPARAM>(GetDlgCtrlID()), position);
}

void CZebSliderCtrl::Paint(HDC dc) const {
  const RECT client = GetClientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;
  const int thumbWidth = ThumbWidth();
  const int thumbHeight = thumbImage ? static_cast<int>(thumbImage->GetHeight()) : 0;
  const int centre = SliderCentreX({client.left, client.right, thumbWidth, minimum, maximum, step}, position);
  {
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    if (trackImage) graphics.DrawImage(trackImage.get(), client.left, client.top, width, height);
    Gdiplus::Image* thumb = nullptr;
    if (state == kDisabled && thumbDisabledImage) {
      thumb = thumbDisabledImage.get();
    } else if (state == kNormal) {
      thumb = thumbImage.get();
    } else if (state == kHover || state == kPressed) {
      thumb = thumbHoverImage.get();
    }
    if (thumb) {
      graphics.DrawImage(thumb, centre - thumbWidth / 2, client.top, static_cast<INT>(thumb->GetWidth()),
                         static_cast<INT>(thumb->GetHeight()));
    }
  }
  if (showValue) {
    const RECT text{std::max(centre - thumbWidth, static_cast<int>(client.left)), client.top + thumbHeight,
                    std::min(centre + thumbWidth, static_cast<int>(client.right)),
                    client.top + thumbHeight + Scaled(kValueTextHeight)};
    DrawTextCentered(dc, std::to_wstring(position), ArgbToColorref(valueColour), true, false, text,
                     valueFont.get());
  }
}

void CZebSliderCtrl::OnMouseMove(WPARAM keyFlags, LPARAM point) {
  HWND window = GetSafeHwnd();
  const POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  if (state == kPressed) {
    SetValueFromX(p.x);
    Invalidate(false);
  }
  const bool leftDown = (keyFlags & MK_LBUTTON) != 0;
  if (!tracking_ || GetCapture() != window) {
    SetCapture(window);
    tracking_ = true;
    pressed_ = leftDown;
    state = leftDown ? savedState_ : kHover;
    Invalidate(false);
    return;
  }
  const RECT client = GetClientRect();
  if (!PtInRect(&client, p)) {
    // Dragging stops at the edge and resumes when the pointer comes back
    // with the button still held.
    savedState_ = state;
    pressed_ = false;
    state = kNormal;
    Invalidate(false);
    tracking_ = false;
    ReleaseCapture();
  }
}

LRESULT CZebSliderCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT:
      framework::PaintBuffered(GetSafeHwnd(), [this](HDC dc) { Paint(dc); });
      return 0;
    case WM_LBUTTONDOWN: {
      const LRESULT result = Default(message, wParam, lParam);
      if (state == kDisabled) return result;
      state = kPressed;
      savedState_ = kPressed;
      pressed_ = true;
      SetValueFromX(GET_X_LPARAM(lParam));
      Invalidate(false);
      return result;
    }
    case WM_LBUTTONUP: {
      const LRESULT result = Default(message, wParam, lParam);
      if (state == kDisabled) return result;
      SetValueFromX(GET_X_LPARAM(lParam));
      pressed_ = false;
      state = kNormal;
      savedState_ = kNormal;
      Invalidate(false);
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = Default(message, wParam, lParam);
      if (state != kDisabled) OnMouseMove(wParam, lParam);
      return result;
    }
    default:
      return CWnd::WindowProc(message, wParam, lParam);
  }
}

}  // namespace korvid
