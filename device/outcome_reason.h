#pragma once
#include <string>

#include "device/session.h"

// Why an operation of the device session did not succeed, in words the
// program's messages and korvidctl's errors share: lower case, no full stop.
namespace korvid {

inline constexpr char kMouseBusyReason[] = "the mouse is busy with another program";

// Another program holds the mouse: its lock was taken for the whole wait, or
// the system would not share its interface.
bool MouseHeldElsewhere(const SessionOutcome& outcome);
// The mouse was not there at all (not held, not refused to this user).
bool MouseNotFound(const SessionOutcome& outcome);
// The block was written and the commit sent, then the mouse went away
// before its reply was read: the mouse may hold the new settings.
bool UnpluggedAfterCommit(const SessionOutcome& outcome);
// The block was written but its caller withheld the commit: the mouse keeps
// what it had, and the caller has said why.
bool CommitWithheld(const SessionOutcome& outcome);

// The reason of an outcome; "" for kDone.
std::string OutcomeReason(const SessionOutcome& outcome);

}  // namespace korvid
