#pragma once
#include "framework/handles.h"
#include "framework/win32.h"

namespace korvid {

// The rule that one copy of the program runs per logon session: the copy
// that creates the named instance mutex runs; a later copy makes the
// running one show its window and ends.
//
// A copy that holds the mutex but has no window is ending (its window has
// gone while it finishes writing the mouse) or not yet showing: a new copy
// waits for it, at most `waitMs`, and runs itself once the mutex is free, or
// hands over to the window when one appears. A `showRequest` of 0 leaves a
// running copy's window as it is (a start that asks for no window).
struct InstanceClaim {
  bool first = false;                // this copy runs
  framework::UniqueHandle mutex;     // held while this copy runs; may be null
};

inline constexpr DWORD kInstanceWaitMs = 20000;

InstanceClaim ClaimInstance(const wchar_t* mutexName, const wchar_t* windowTitle, UINT showRequest,
                            DWORD waitMs = kInstanceWaitMs);

}  // namespace korvid
