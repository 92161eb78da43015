#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "device/hid_port.h"
#include "device/session.h"
#include "profile/profile_record.h"

namespace korvidctl {

// The port korvidctl talks through: the emulated mouse kept in
// `emulatorFolder` when one is named, else the platform's HID devices. With
// `verbose`, every report sent and received is logged to stderr with its
// timing.
std::unique_ptr<korvid::HidPort> MakeCommandPort(const std::filesystem::path& emulatorFolder, bool verbose);

// The exit code and the message of an operation's outcome ("" for success).
int OutcomeExitCode(const korvid::SessionOutcome& outcome);
std::string OutcomeMessage(const korvid::SessionOutcome& outcome);

// The device session of one run, on the emulated mouse when a folder is
// named (--emulator or KORVID_EMULATOR), else on the platform's HID devices.
// Each step returns kExitOk, kExitNoMouse (also when the mouse went away
// during the step), kExitNoPermission (the user may not open the mouse) or
// kExitMouseFailed (also when another program kept the mouse busy) and
// explains a failure on stderr.
class MouseSession {
 public:
  // Without `requireLock`, an operation goes on when the mouse's lock cannot
  // be made.
  MouseSession(const std::filesystem::path& emulatorFolder, bool verbose, bool requireLock = true);

  int Find();
  // `profile` receives the mouse's configuration on top of the defaults.
  int Read(korvid::ProfileRecord& profile);
  int Apply(const korvid::ProfileRecord& profile);
  // The block's bytes as the mouse holds them.
  int ReadBlock(korvid::ConfigBlock& block);
  // Read, change, write and commit without another program in between;
  // `change` returns false to leave the mouse as it is.
  int ChangeBlock(const std::function<bool(korvid::ConfigBlock&)>& change);

  const korvid::LinkState& link() const { return link_; }
  // "V1.09" of the mouse found last, "-.--" before.
  const std::string& firmwareVersion() const { return firmwareVersion_; }

 private:
  int Finish(const korvid::SessionOutcome& outcome, const char* failurePrefix);

  std::unique_ptr<korvid::HidPort> port_;
  korvid::LinkState link_;
  std::string firmwareVersion_ = korvid::kNoFirmwareVersion;
};

}  // namespace korvidctl
