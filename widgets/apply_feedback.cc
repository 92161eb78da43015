#include "widgets/apply_feedback.h"

#include "framework/buffered_paint.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

constexpr wchar_t kConfirmationClass[] = L"KorvidSavedConfirmation";
constexpr UINT_PTR kHideTimer = 1;

SkinRect WindowRectIn(HWND window, HWND parent) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return SkinRect{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

bool SavedConfirmation::Create(HWND page, const SkinRect& logicalRect, framework::ImagePtr image) {
  image_ = std::move(image);
  const SkinRect rect = Scaled(logicalRect);
  if (GetSafeHwnd() || !RegisterStandardClass(kConfirmationClass)) return false;
  return CreateEx(0, kConfirmationClass, kSavedToTheMouse, WS_CHILD | WS_CLIPSIBLINGS, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, page, nullptr);
}

void SavedConfirmation::ShowForAWhile() {
  HWND window = GetSafeHwnd();
  if (!window) return;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Invalidate(false);
  // A second commit within the time starts it again.
  SetTimer(window, kHideTimer, kConfirmationMs, nullptr);
}

void SavedConfirmation::Hide() {
  HWND window = GetSafeHwnd();
  if (!window) return;
  KillTimer(window, kHideTimer);
  ShowWindow(SW_HIDE);
}

LRESULT SavedConfirmation::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      framework::PaintBuffered(GetSafeHwnd(), [this](HDC dc) {
        if (!image_) return;
        const RECT client = GetClientRect();
        Gdiplus::Graphics graphics(dc);
        graphics.DrawImage(image_.get(), 0, 0, client.right, client.bottom);
      });
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_TIMER:
      if (wParam == kHideTimer) {
        Hide();
        return 0;
      }
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

void ApplyFeedback::Attach(CZebButton& button, const framework::CWnd& page, SkinSheet busySheet,
                           const SkinRect& confirmationRect) {
  button_ = &button;
  // The button stands where it was placed, in device pixels already.
  button.SetBusyImage(CropSkinImage(SkinSheetImage(busySheet), WindowRectIn(button.GetSafeHwnd(), page.GetSafeHwnd())));
  confirmation_.Create(page.GetSafeHwnd(), confirmationRect, CropSkinImage(busySheet, confirmationRect));
}

void ApplyFeedback::Show(ApplyProgress progress) {
  if (!button_) return;
  button_->SetBusy(progress == ApplyProgress::kRunning);
  if (progress == ApplyProgress::kSucceeded) {
    confirmation_.ShowForAWhile();
  } else {
    confirmation_.Hide();
  }
}

void ApplyFeedback::ShowUnapplied(bool unapplied) {
  if (button_) button_->SetMarked(unapplied);
}

}  // namespace korvid
