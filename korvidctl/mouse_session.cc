#include "korvidctl/mouse_session.h"

#include <iostream>

#include "device/hid_trace.h"
#include "device/outcome_reason.h"
#include "emulator/emulated_mouse.h"
#include "korvidctl/diag.h"
#include "korvidctl/exit_codes.h"

namespace korvidctl {

using namespace korvid;

namespace {

// korvidctl's own advice after the session's reason.
std::string NoMouseMessage(const SessionOutcome& outcome) {
  std::string message = OutcomeReason(outcome);
  if (outcome.detail != SessionDetail::kAccessDenied) return message;
  const std::string advice = AccessDeniedAdvice();
  return advice.empty() ? message : message + ". " + advice;
}

std::string FailedMessage(const SessionOutcome& outcome) {
  std::string message = OutcomeReason(outcome);
  if (outcome.detail == SessionDetail::kLockFailed) message += "; --no-lock goes on without it";
  return message;
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
    case SessionResult::kBusy: return kMouseBusyReason;
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
