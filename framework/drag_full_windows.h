#pragma once
#include "framework/win32.h"

namespace framework {

// Switches the system setting that drags windows with their contents shown
// on for as long as the object lives, then puts the user's own setting back:
// a window that wants it for itself must not leave the desktop changed. The
// change is never written to the user's stored settings.
class DragFullWindowsOn {
 public:
  DragFullWindowsOn() {
    BOOL current = FALSE;
    const bool known = SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &current, 0) != FALSE;
    if (known && current) return;  // already on: nothing to put back
    changed_ = SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0) != FALSE && known;
  }
  DragFullWindowsOn(const DragFullWindowsOn&) = delete;
  DragFullWindowsOn& operator=(const DragFullWindowsOn&) = delete;
  ~DragFullWindowsOn() {
    if (changed_) SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
  }

 private:
  bool changed_ = false;  // it was off and is on because of this object
};

}  // namespace framework
