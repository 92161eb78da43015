#include "device/outcome_reason.h"

namespace korvid {
namespace {

const char* StepFailure(SessionStep step) {
  switch (step) {
    case SessionStep::kStatus: return "the mouse did not answer the status query";
    case SessionStep::kReadBlock: return "the mouse did not return its configuration";
    case SessionStep::kWriteBlock: return "the mouse did not take the configuration block";
    case SessionStep::kCommit: return "the mouse did not commit the configuration";
    case SessionStep::kNone: break;
  }
  return "the mouse failed";
}

const char* StepName(SessionStep step) {
  switch (step) {
    case SessionStep::kStatus: return "status query";
    case SessionStep::kReadBlock: return "configuration read";
    case SessionStep::kWriteBlock: return "configuration write";
    case SessionStep::kCommit: return "commit";
    case SessionStep::kNone: break;
  }
  return "request";
}

std::string NoMouseReason(const SessionOutcome& outcome) {
  switch (outcome.detail) {
    case SessionDetail::kInterfaceHeld: return kMouseBusyReason;
    case SessionDetail::kAccessDenied:
      return "cannot open the mouse's configuration interface " + outcome.interfacePath + ": permission denied";
    default: return "no Korvid mouse found";
  }
}

std::string FailedReason(const SessionOutcome& outcome) {
  if (outcome.detail == SessionDetail::kMouseGone) return "the mouse went away during the command";
  if (outcome.detail == SessionDetail::kLockFailed)
    return "the lock that keeps other programs off the mouse could not be made (system error " +
           std::to_string(outcome.error) + ")";
  if (outcome.detail == SessionDetail::kCommitReplyLost && outcome.error != kErrorSuccess)
    return "the configuration block was written and the commit sent, but the mouse's reply to the commit "
           "was lost: the new settings may or may not be in use";
  if (outcome.detail == SessionDetail::kCommitReplyLost)
    return "the configuration block was written and the commit sent, but the mouse did not confirm the "
           "commit: the new settings may or may not be in use";
  if (outcome.detail == SessionDetail::kCommitWithheld)
    return "the commit was withheld: the mouse keeps the settings it had";
  // Windows error codes; the Linux backend maps errno onto them.
  const std::string code = std::to_string(outcome.error);
  if (outcome.detail == SessionDetail::kRefused)
    return std::string("the mouse refused the request (") + StepName(outcome.failedStep) + ", error " + code + ")";
  return StepFailure(outcome.failedStep) + (outcome.error != kErrorSuccess ? " (error " + code + ")" : std::string());
}

}  // namespace

bool MouseHeldElsewhere(const SessionOutcome& outcome) {
  return outcome.result == SessionResult::kBusy ||
         (outcome.result == SessionResult::kNoMouse && outcome.detail == SessionDetail::kInterfaceHeld);
}

bool MouseNotFound(const SessionOutcome& outcome) {
  return outcome.result == SessionResult::kNoMouse && outcome.detail == SessionDetail::kNone;
}

bool CommitWithheld(const SessionOutcome& outcome) {
  return outcome.result == SessionResult::kFailed && outcome.detail == SessionDetail::kCommitWithheld;
}

bool UnpluggedAfterCommit(const SessionOutcome& outcome) {
  return outcome.result == SessionResult::kFailed && outcome.failedStep == SessionStep::kCommit &&
         outcome.commitSent && outcome.detail == SessionDetail::kMouseGone;
}

std::string OutcomeReason(const SessionOutcome& outcome) {
  switch (outcome.result) {
    case SessionResult::kDone: return {};
    case SessionResult::kBusy: return kMouseBusyReason;
    case SessionResult::kNoMouse: return NoMouseReason(outcome);
    case SessionResult::kFailed: break;
  }
  return FailedReason(outcome);
}

}  // namespace korvid
