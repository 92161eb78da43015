#include "app/stay_on_top.h"

namespace korvid {
namespace {

bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The nearest window the user sees above `window` outside the topmost band:
// the window goes back under it. Hidden windows and the window's own pop-ups
// (which rise and fall with it) do not count. Null when none is (the window
// led its band).
HWND VisibleWindowAbove(HWND window) {
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (IsWindowVisible(above) && !Topmost(above) && GetWindow(above, GW_OWNER) != window) return above;
  }
  return nullptr;
}

void Place(HWND window, HWND after) {
  // Only the stacking changes: the request must not take the focus.
  SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

}  // namespace

void StayOnTop::Request(HWND window, LPARAM argument) {
  if (argument == 1) {
    if (depth_++ > 0) return;
    lifted_ = !Topmost(window);
    if (!lifted_) return;
    above_ = VisibleWindowAbove(window);
    Place(window, HWND_TOPMOST);
  } else if (argument == 0) {
    if (depth_ == 0) {
      if (Topmost(window)) Place(window, HWND_NOTOPMOST);
      return;
    }
    if (--depth_ > 0 || !lifted_) return;
    lifted_ = false;
    // Under the window that was above it; at the top of the ordinary band
    // when none was, or when that window has gone or become topmost itself.
    const bool backUnder = above_ && IsWindow(above_) && !Topmost(above_);
    Place(window, backUnder ? above_ : HWND_NOTOPMOST);
    above_ = nullptr;
  }
}

}  // namespace korvid
