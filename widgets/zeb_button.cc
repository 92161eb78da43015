#include "widgets/zeb_button.h"

#include <windowsx.h>

#include "skin/dimmed_look.h"
#include "skin/focus_mark.h"
#include "skin/ui_scale.h"

namespace korvid {

void CZebButton::SetImages(framework::ImagePtr normal, framework::ImagePtr over, framework::ImagePtr down) {
  normal_ = std::move(normal);
  over_ = std::move(over);
  pressed_ = std::move(down);
  off_.reset();
  if (GetSafeHwnd()) Repaint();
}

void CZebButton::SetSelected(bool value) {
  if (value == selected_) return;
  selected_ = value;
  Repaint();
}

void CZebButton::SetDimmed(bool dimmed) {
  if (dimmed == dimmed_) return;
  dimmed_ = dimmed;
  if (GetSafeHwnd()) Repaint();
}

void CZebButton::SetLook(ButtonLook look) {
  if (look == look_) return;
  look_ = look;
  if (GetSafeHwnd()) Repaint();
}

void CZebButton::LosePointer() {
  pressedDown_ = false;
  look_ = kLookNormal;
  Repaint();
  tracking_ = false;
}

void CZebButton::SetBusy(bool busy) {
  if (busy == isBusy_) return;
  isBusy_ = busy;
  if (busy) {
    ShowPressed(false);
    // A press under way must not end in a click.
    if (GetCapture() == GetSafeHwnd()) ReleaseCapture();
    SendMessageW(GetSafeHwnd(), BM_SETSTATE, FALSE, 0);
  }
  if (GetSafeHwnd()) Repaint();
}

void CZebButton::PreSubclassWindow() { ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW); }

void CZebButton::OnMouseMove(WPARAM keyFlags, LPARAM point) {
  HWND window = GetSafeHwnd();
  const POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  const RECT client = GetClientRect();
  const bool inside = PtInRect(&client, p) != FALSE;
  // A move outside arrives only while the control or the standard button's
  // press holds the capture: either way the pointer has left, so a press
  // made before this control tracked the pointer is cancelled as well.
  if (inside && tracking_ && GetCapture() == window) return;
  if (!inside) {
    LosePointer();
    if (GetCapture() == window) ReleaseCapture();
    return;
  }
  // First move over the control, or the capture went elsewhere (the
  // standard button takes it while pressed): hold it to see the pointer leave.
  SetCapture(window);
  tracking_ = true;
  look_ = kLookOver;
  if (TakesPressedFromMove()) pressedDown_ = (keyFlags & MK_LBUTTON) != 0;
  Repaint();
}

void CZebButton::OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // The look is released before the click is reported: a click that opens a
  // modal pop-up would otherwise leave the button pressed behind it.
  ShowPressed(false);
  Repaint();
  result = Default(message, wParam, lParam);
}

void CZebCheckBox::OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (IsPressed()) ToggleSelected();
  ShowPressed(false);
  result = Default(message, wParam, lParam);
  Repaint();
}

void CZebCheckBox::PressFromKeyboard() {
  if (!IsWindowEnabled() || isBusy_) return;
  ToggleSelected();
  Repaint();
  CZebButton::PressFromKeyboard();
}

LRESULT CZebCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (wParam == VK_SPACE && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR)) {
    // Flipped at the press, once however long Space is held; the standard
    // button would report a click at the release without flipping anything.
    constexpr LPARAM kRepeat = 1 << 30;
    if (message == WM_KEYDOWN && !(lParam & kRepeat)) PressFromKeyboard();
    return 0;
  }
  return CZebButton::WindowProc(message, wParam, lParam);
}

LRESULT CZebButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (isBusy_) {
    switch (message) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_LBUTTONUP:
      case WM_MOUSEMOVE:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
        return 0;
      default:
        break;
    }
  }
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return DefaultThenRepaint(message, wParam, lParam);
    case WM_GETDLGCODE:
      // Enter presses the focused button, as Space does; the dialog would
      // otherwise take it for its own default command.
      if (takesEnter_ && IsEnterDown(lParam)) return DLGC_WANTMESSAGE;
      return Default(message, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && takesEnter_) {
        PressFromKeyboard();
        return 0;
      }
      return Default(message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // A quick second click counts as another press, as users expect of
      // a button, not as a double click it would ignore.
      const LRESULT result = Default(WM_LBUTTONDOWN, wParam, lParam);
      ShowPressed(true);
      Repaint();
      return result;
    }
    case WM_LBUTTONUP: {
      LRESULT result = 0;
      OnButtonUp(message, wParam, lParam, result);
      return result;
    }
    case WM_MOUSEMOVE:
      // The standard procedure would only track the pointer's leave for a
      // hot look this control draws itself; under Wine that tracking runs a
      // system timer many times a second for as long as the pointer rests
      // here. A click needs none of it: the release is judged by its point.
      OnMouseMove(wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      // Without a leave notification the capture is the only way to see the
      // pointer go; when another window takes it, drop the hover look.
      if (reinterpret_cast<HWND>(lParam) != GetSafeHwnd() && tracking_ && !pressedDown_) {
        tracking_ = false;
        look_ = kLookNormal;
        Repaint();
      }
      return Default(message, wParam, lParam);
    default:
      return CButton::WindowProc(message, wParam, lParam);
  }
}

bool CZebButton::IsEnterDown(LPARAM dialogCodeRequest) {
  const auto* message = reinterpret_cast<const MSG*>(dialogCodeRequest);
  return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

void CZebButton::PressFromKeyboard() {
  if (!IsWindowEnabled()) return;
  // The same report as a completed click.
  SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED),
               reinterpret_cast<LPARAM>(GetSafeHwnd()));
}

namespace {

// The mark of a button whose write is due: a gold dot ringed in the skin's
// ink, in the button's top-right corner.
constexpr Gdiplus::ARGB kChangeMarkColour = 0xFFFDC415;
constexpr Gdiplus::ARGB kChangeMarkRing = 0xFF161617;
constexpr Gdiplus::REAL kChangeMarkRadius = 6.0F, kChangeMarkInset = 13.0F, kChangeMarkRingWidth = 2.5F;

void DrawChangeMark(Gdiplus::Graphics& graphics, const RECT& rect) {
  const Gdiplus::REAL inset = ScaledF(kChangeMarkInset), diameter = ScaledF(2 * kChangeMarkRadius);
  const Gdiplus::REAL x = static_cast<Gdiplus::REAL>(rect.right) - inset - diameter;
  const Gdiplus::REAL y = static_cast<Gdiplus::REAL>(rect.top) + inset;
  Gdiplus::SolidBrush dot{Gdiplus::Color(kChangeMarkColour)};
  Gdiplus::Pen ring{Gdiplus::Color(kChangeMarkRing), ScaledF(kChangeMarkRingWidth)};
  graphics.FillEllipse(&dot, x, y, diameter, diameter);
  graphics.DrawEllipse(&ring, x, y, diameter, diameter);
}

}  // namespace

Gdiplus::Image* CZebButton::ImageToDraw() const {
  if (isBusy_ && busy_) return busy_.get();
  if ((GetStyle() & WS_DISABLED) && off_) return off_.get();
  if (selected_ && pressed_) return pressed_.get();
  if (look_ == kLookDown && pressed_) return pressed_.get();
  if (look_ == kLookNormal && normal_) return normal_.get();
  if (look_ == kLookOver && over_) return over_.get();
  return nullptr;
}

Gdiplus::Image* CZebCheckBox::ImageToDraw() const {
  if ((GetStyle() & WS_DISABLED) && off_) return off_.get();
  if (IsSelected() && pressed_) return pressed_.get();
  return normal_.get();
}

void CZebButton::SetMarked(bool marked) {
  if (marked == marked_) return;
  marked_ = marked;
  Repaint();
}

void CZebButton::DrawItem(const DRAWITEMSTRUCT& item) {
  Gdiplus::Image* image = ImageToDraw();
  Gdiplus::Graphics graphics(item.hDC);
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
  if (image) {
    graphics.DrawImage(image, 0, 0, item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top);
  }
  if (dimmed_) DrawDimmedVeil(graphics, item.rcItem);
  // Not over the busy look: while the button writes, the mark has no say.
  if (marked_ && !isBusy_) DrawChangeMark(graphics, item.rcItem);
  if (ShowsFocusMark(GetSafeHwnd())) {
    DrawFocusMark(graphics, IsRectEmpty(&focusArea_) ? item.rcItem : focusArea_, focusLook_);
  }
}

}  // namespace korvid
