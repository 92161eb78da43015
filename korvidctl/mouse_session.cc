#include "korvidctl/mouse_session.h"

#include <iostream>

#include "device/hid_trace.h"
#include "emulator/emulated_mouse.h"
#include "korvidctl/diag.h"
#include "korvidctl/exit_codes.h"

namespace korvidctl {

using namespace korvid;

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

std::string NoMouseMessage(const SessionOutcome& outcome) {
  switch (outcome.detail) {
    case SessionDetail::kInterfaceHeld: return kMouseBusy;
    case SessionDetail::kAccessDenied: {
      std::string message = "cannot open the mouse's configuration interface " + outcome.interfacePath +
                            ": permission denied";
      const std::string advice = AccessDeniedAdvice();
      return advice.empty() ? message : message + ". " + advice;
    }
    default: return "no Korvid mouse found";
  }
}

std::string FailedMessage(const SessionOutcome& outcome) {
  if (outcome.detail == SessionDetail::kMouseGone) return "the mouse went away during the command";
  if (outcome.detail == SessionDetail::kLockFailed)
    return "the lock that keeps other programs off the mouse could not be made (system error " +
           std::to_string(outcome.error) + "); --no-lock goes on without it";
  if (outcome.detail == SessionDetail::kCommitReplyLost && outcome.error != kErrorSuccess)
    return "the configuration block was written and the commit sent, but the mouse's reply to the commit "
           "was lost: the new settings may or may not be in use";
  if (outcome.detail == SessionDetail::kCommitReplyLost)
    return "the configuration block was written and the commit sent, but the mouse did not confirm the "
           "commit: the new settings may or may not be in use";
  // Windows error codes; the Linux backend maps errno onto them.
  const std::string code = std::to_string(outcome.error);
  if (outcome.detail == SessionDetail::kRefused)
    return std::string("the mouse refused the request (") + StepName(outcome.failedStep) + ", error " + code + ")";
  return StepFailure(outcome.failedStep) + (outcome.error != kErrorSuccess ? " (error " + code + ")" : std::string());
}

}  // namespace

int OutcomeExitCode(const SessionOutcome& outcome) {
  switch (outcome.result) {
    case SessionResult::kDone: return kExitOk;
    case SessionResult::kBusy: return kExitMouseFailed;
    case SessionResult::kNoMouse:
      if (outcome.detail == SessionDetail::kInterfaceHeld) return kExitMouseFailed;
      if (outcome.detail == SessionDetail::kAccessDenied) return kExitNoPermission;
      return kExitNoMouse;
    case SessionResult::kFailed: break;
  }
  return outcome.detail == SessionDetail::kMouseGone ? kExitNoMouse : kExitMouseFailed;
}

std::string OutcomeMessage(const SessionOutcome& outcome) {
  switch (outcome.result) {
    case SessionResult::kDone: return {};
    case SessionResult::kBusy: return kMouseBusy;
    case SessionResult::kNoMouse: return NoMouseMessage(outcome);
    case SessionResult::kFailed: break;
  }
  return FailedMessage(outcome);
}

std::unique_ptr<HidPort> MakeCommandPort(const std::filesystem::path& emulatorFolder, bool verbose) {
  std::unique_ptr<HidPort> port =
      emulatorFolder.empty() ? MakePlatformHidPort() : emulator::MakeEmulatedPort(emulatorFolder);
  if (!verbose) return port;
  return MakeTracingPort(std::move(port),
                         [](const HidEvent& event) { std::cerr << "korvidctl: " << FormatHidEvent(event) << "\n"; });
}

MouseSession::MouseSession(const std::filesystem::path& emulatorFolder, bool verbose, bool requireLock)
    : port_(MakeCommandPort(emulatorFolder, verbose)) {
  link_.port = port_.get();
  link_.requireLock = requireLock;
}

int MouseSession::Finish(const SessionOutcome& outcome, const char* failurePrefix) {
  firmwareVersion_ = outcome.firmwareVersion;
  if (outcome.result == SessionResult::kDone) return kExitOk;
  // A failure during the command is that command's; the mouse missing is not.
  const std::string prefix = outcome.result == SessionResult::kFailed ? failurePrefix : "";
  return Fail(OutcomeExitCode(outcome), prefix + OutcomeMessage(outcome));
}

int MouseSession::Find() { return Finish(FindMouse(link_), ""); }

int MouseSession::Read(ProfileRecord& profile) {
  InitProfileDefaults(profile);
  return Finish(ReadMouseProfile(link_, profile), "");
}

int MouseSession::Apply(const ProfileRecord& profile) {
  return Finish(ApplyMouseProfile(link_, profile), "apply failed: ");
}

int MouseSession::ReadBlock(ConfigBlock& block) { return Finish(ReadMouseBlock(link_, block), ""); }

int MouseSession::ChangeBlock(const std::function<bool(ConfigBlock&)>& change) {
  return Finish(ChangeMouseBlock(link_, change), "set failed: ");
}

}  // namespace korvidctl
