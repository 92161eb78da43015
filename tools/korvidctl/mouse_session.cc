#include "tools/korvidctl/mouse_session.h"

#include <iostream>

#include "device/hid_trace.h"
#include "emulator/emulated_mouse.h"
#include "tools/korvidctl/exit_codes.h"

namespace korvidctl {

using namespace korvid;

namespace {

constexpr char kMouseBusy[] = "the mouse is busy with another program";

const char* StepFailure(SessionStep step) {
  switch (step) {
    case SessionStep::kStatus: return "the mouse did not answer the status query";
    case SessionStep::kReadBlock: return "the mouse did not return its configuration";
    case SessionStep::kWriteBlock: return "the mouse refused the configuration block";
    case SessionStep::kCommit: return "the mouse did not commit the configuration";
    case SessionStep::kNone: break;
  }
  return "the mouse failed";
}

}  // namespace

std::unique_ptr<HidPort> MakeCommandPort(const std::filesystem::path& emulatorFolder, bool verbose) {
  std::unique_ptr<HidPort> port =
      emulatorFolder.empty() ? MakePlatformHidPort() : emulator::MakeEmulatedPort(emulatorFolder);
  if (!verbose) return port;
  return MakeTracingPort(std::move(port),
                         [](const HidEvent& event) { std::cerr << "korvidctl: " << FormatHidEvent(event) << "\n"; });
}

MouseSession::MouseSession(const std::filesystem::path& emulatorFolder, bool verbose)
    : port_(MakeCommandPort(emulatorFolder, verbose)) {
  link_.port = port_.get();
}

int MouseSession::Finish(const SessionOutcome& outcome, const char* failurePrefix) {
  firmwareVersion_ = outcome.firmwareVersion;
  switch (outcome.result) {
    case SessionResult::kDone: return kExitOk;
    case SessionResult::kBusy: return Fail(kExitMouseFailed, kMouseBusy);
    case SessionResult::kNoMouse:
      if (outcome.detail == SessionDetail::kInterfaceHeld) return Fail(kExitMouseFailed, kMouseBusy);
      return Fail(kExitNoMouse, "no Korvid mouse found");
    case SessionResult::kFailed: break;
  }
  if (outcome.detail == SessionDetail::kMouseGone)
    return Fail(kExitNoMouse, std::string(failurePrefix) + "the mouse went away during the command");
  std::string message = std::string(failurePrefix) + StepFailure(outcome.failedStep);
  if (outcome.detail == SessionDetail::kCommitReplyLost)
    message = std::string(failurePrefix) +
              "the configuration block was written and the commit sent, but the mouse's reply to the commit "
              "was lost: the new settings may or may not be in use";
  // Windows error codes; the Linux backend maps errno onto them.
  if (outcome.error != kErrorSuccess) message += " (error " + std::to_string(outcome.error) + ")";
  return Fail(kExitMouseFailed, message);
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
