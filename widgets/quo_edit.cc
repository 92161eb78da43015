#include "widgets/quo_edit.h"

#include <vector>

#include "framework/buffered_paint.h"
#include "skin/dimmed_look.h"
#include "skin/focus_mark.h"
#include "skin/text.h"
#include "widgets/control_values.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

constexpr int kDefaultFontHeight = 25;
// The text starts one pixel in from the left edge; the control's own caret
// and selection are kept at the same place through its margin.
constexpr int kTextInset = 1;
constexpr COLORREF kSelectionFill = RGB(253, 196, 21);
constexpr COLORREF kSelectionText = RGB(20, 20, 20);

}  // namespace

CQuoEdit::CQuoEdit() : font_(CreateArialFont(kDefaultFontHeight, FW_NORMAL)) {}

void CQuoEdit::SetFontHeight(int height) {
  font_ = CreateArialFont(height, FW_NORMAL);
  if (!GetSafeHwnd()) return;
  SendMessageW(GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  SendMessageW(GetSafeHwnd(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kTextInset, 0));
}

void CQuoEdit::SetBackgroundImage(framework::ImagePtr image) {
  background_ = std::move(image);
  if (GetSafeHwnd()) Invalidate(true);
}

std::wstring CQuoEdit::GetText() const {
  HWND window = GetSafeHwnd();
  const int length = GetWindowTextLengthW(window);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void CQuoEdit::SetText(const std::wstring& text) const { SetWindowText(text); }

HBRUSH CQuoEdit::OnReflectedCtlColor(HDC dc) {
  SetTextColor(dc, textColour);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, font_.get());
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CQuoEdit::OnReflectedCommand(int notifyCode) {
  if (notifyCode != EN_CHANGE) return;
  Invalidate(true);
  SendMessageW(GetParent(), WM_SYSCOMMAND, static_cast<WPARAM>(GetDlgCtrlID()), kEditChangedNotification);
}

int CQuoEdit::CharacterX(HDC dc, const std::wstring& text, int index) const {
  const LRESULT origin = SendMessageW(GetSafeHwnd(), EM_POSFROMCHAR, 0, 0);
  // The first character's place already holds the margin and the scrolling.
  const int x0 = origin == -1 ? Scaled(kTextInset) : static_cast<short>(LOWORD(origin));
  if (index <= 0) return x0;
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), index, &extent);
  return x0 + extent.cx;
}

void CQuoEdit::Paint(HDC dc) const {
  const RECT client = GetClientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;
  {
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    if (background_) {
      graphics.DrawImage(background_.get(), 0, 0, width, height);
    } else {
      Gdiplus::SolidBrush white{Gdiplus::Color(0xFFFFFFFF)};
      graphics.FillRectangle(&white, 0, 0, width, height);
      Gdiplus::Pen black{Gdiplus::Color(0xFF000000), 1.0f};
      graphics.DrawRectangle(&black, 0, 0, width - 1, height - 1);
    }
  }
  const std::wstring text = GetText();
  framework::SelectObjectGuard select(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColour);
  const int length = static_cast<int>(text.size());
  const int x = CharacterX(dc, text, 0);
  TextOutW(dc, x, 0, text.c_str(), length);
  // The selection, drawn here since the control's own drawing is replaced.
  DWORD start = 0, end = 0;
  SendMessageW(GetSafeHwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end > start && static_cast<int>(end) <= length && GetFocus() == GetSafeHwnd()) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT selection{CharacterX(dc, text, static_cast<int>(start)), 0, CharacterX(dc, text, static_cast<int>(end)),
                   metrics.tmHeight};
    framework::GdiObject<HBRUSH> fill(CreateSolidBrush(kSelectionFill));
    FillRect(dc, &selection, fill.get());
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, selection.left, selection.top, selection.right, selection.bottom);
    SetTextColor(dc, kSelectionText);
    TextOutW(dc, x, 0, text.c_str(), length);
    RestoreDC(dc, saved);
  }
  if (dimmed) DrawDimmedVeil(dc, client);
  if (ShowsFocusMark(GetSafeHwnd())) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    DrawFocusUnderline(dc, x, client.right - Scaled(2), metrics.tmHeight + Scaled(1));
  }
}

void CQuoEdit::OnMouseWheel(WPARAM wParam) {
  SetFocus(GetSafeHwnd());
  StepBy(static_cast<short>(HIWORD(wParam)));
}

void CQuoEdit::StepBy(int delta) {
  std::optional<int> value = WheelSteppedValue(LeadingInteger(GetText()), delta, wheelStep, wheelMaximum, wheelMinimum);
  if (!value) return;
  SetText(std::to_wstring(*value));
  // The caret after the number, where typing goes on.
  const int end = GetWindowTextLengthW(GetSafeHwnd());
  SendMessageW(GetSafeHwnd(), EM_SETSEL, static_cast<WPARAM>(end), end);
}

LRESULT CQuoEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return FALSE;
    case WM_PAINT:
      framework::PaintBuffered(GetSafeHwnd(), [this](HDC dc) { Paint(dc); });
      return 0;
    case WM_KEYDOWN:
      // The arrow keys step the number as the wheel does, as in a spin box.
      if (wheelStepping && (wParam == VK_UP || wParam == VK_DOWN)) {
        StepBy(wParam == VK_UP ? WHEEL_DELTA : -WHEEL_DELTA);
        return 0;
      }
      return Default(message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The selection and the focus mark show only while the field has the focus.
      return DefaultThenRepaint(message, wParam, lParam);
    case WM_MOUSEWHEEL:
      if (wheelStepping) OnMouseWheel(wParam);
      return Default(message, wParam, lParam);
    default:
      return CEdit::WindowProc(message, wParam, lParam);
  }
}

}  // namespace korvid
