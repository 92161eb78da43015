// The main window at another display scale: moved to a monitor of another
// DPI, or the monitor's scale changed while it runs.
#include "app/main_dialog.h"
#include "skin/ui_scale.h"
#include "widgets/page.h"
#include "widgets/window_messages.h"

namespace korvid {

void CMobrinDlg::OnDpiChanged(int dpi, const RECT& suggested) {
  pendingRescale_ = PendingRescale{dpi, suggested};
  RescaleWhenPagesAreFree();
}

void CMobrinDlg::RescaleWhenPagesAreFree() {
  if (!pendingRescale_) return;
  bool busy = false;
  ForEachBuiltPage([&busy](CPage& page) { busy = busy || page.HandlingMessage(); });
  if (busy) {
    // A page's pop-up or message box is up, further down this stack: the
    // choice is dropped as at an unplug, and the pages are rebuilt once the
    // page has returned.
    ForEachBuiltPage([](CPage& page) { page.DropPendingChoices(); });
    PostMessageW(GetSafeHwnd(), kRescaleMessage, 0, 0);
    return;
  }
  const PendingRescale rescale = *pendingRescale_;
  pendingRescale_.reset();
  RescaleTo(rescale.dpi, rescale.suggested);
}

void CMobrinDlg::RescaleTo(int dpi, const RECT& suggested) {
  HWND window = GetSafeHwnd();
  if (dpi != UiDpi()) {
    // What the pages show, unapplied edits and all, comes back on the pages
    // built at the new scale.
    ProfileRecord shown = profile_;
    ForEachBuiltPage([&shown](CPage& page) {
      page.DropPendingChoices();
      page.CopyToProfile(shown);
    });
    Page* visible = nullptr;
    std::array<bool, kPageCount> built{};
    for (size_t i = 0; i < kPageCount; ++i) {
      CPage* page = pages_[i].page.get();
      built[i] = page && page->GetSafeHwnd();
      if (built[i] && (GetWindowLongW(page->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE)) visible = &pages_[i];
      if (built[i]) page->DestroyWindow();
    }
    SetUiDpi(dpi);
    LayOutWindow();
    // Every page is made anew: fonts and sizes are taken when a page is made.
    CreatePages();
    for (size_t i = 0; i < kPageCount; ++i) {
      if (!built[i] || !BuildPage(pages_[i])) continue;
      pages_[i].page->LoadFromProfile(shown);
    }
    if (visible) ShowPageWindow(*visible);
    KeepFocusOnShownControls();
    CompareWithMouse();
  }
  SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace korvid
