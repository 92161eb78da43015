#pragma once
#include "framework/handles.h"

namespace korvid {

// The process-wide apply lock: applies to the mouse run one after the other,
// each holding it until its outcome has been shown.
framework::CriticalSection& ApplyLock();

}  // namespace korvid
