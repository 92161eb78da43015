#pragma once
#include "framework/win32.h"

namespace korvid {

// The main window's answer to the stay-on-top requests (on, then off) that
// the pop-up menus send around hiding themselves. "On" lifts the window into
// the topmost band; "off" puts it back where it was in the z-order, under the
// window that was above it, rather than above every other program. Pairs may
// nest (a sub-menu hides inside its parent's hide); an "on" when the window
// is topmost already, and an "off" without an "on", change nothing that is
// not topmost.
class StayOnTop {
 public:
  // lParam of the request: 1 on, 0 off; other values do nothing.
  void Request(HWND window, LPARAM argument);

 private:
  int depth_ = 0;              // "on" requests not yet answered by an "off"
  bool lifted_ = false;        // the outermost "on" made the window topmost
  HWND above_ = nullptr;       // the window seen above it before that, if any
};

}  // namespace korvid
