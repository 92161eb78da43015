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
  const PendingRescale rescale = *pendingRescale_;
  HWND window = GetSafeHwnd();
  if (rescale.dpi != UiDpi() && laidOut_) {
    Page* shown = nullptr;
    if (!TearDownPages(shown)) {
      // A page's pop-up or message box is up, further down this stack: the
      // choice is dropped as at an unplug, and the window is rebuilt once
      // the page has returned.
      ForEachBuiltPage([](CPage& page) { page.DropPendingChoices(); });
      PostMessageW(window, kRescaleMessage, 0, 0);
      return;
    }
    // What the pages showed, unapplied edits and all, comes back on the
    // pages built at the new scale.
    SetUiDpi(rescale.dpi);
    LayOutWindow();
    // Fonts and sizes are taken when a page object is made.
    CreatePages();
    if (shown) ShowPageWindow(*shown);
    KeepFocusOnShownControls();
  }
  pendingRescale_.reset();
  // Not laid out yet (a start in the tray), the window takes its monitor's
  // scale when it first shows.
  SetWindowPos(window, nullptr, rescale.suggested.left, rescale.suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace korvid
