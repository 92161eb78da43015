#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include "device/hid_port.h"
#include "device/link.h"
#include "profile/profile_record.h"

namespace korvidctl {

// The HID port and link of one run: the emulated mouse when a folder is
// named (--emulator or KORVID_EMULATOR), else the platform's HID devices.
class MouseSession {
 public:
  explicit MouseSession(const std::filesystem::path& emulatorFolder);

  // Exit code of the step: kExitOk, kExitNoMouse or kExitMouseFailed.
  int Open();
  // Open, status query and block read; `profile` receives the mouse's
  // configuration on top of the defaults.
  int Read(korvid::ProfileRecord& profile);
  // Open, status query, block write with the profile's index, commit.
  int Apply(const korvid::ProfileRecord& profile);

  const korvid::LinkState& link() const { return link_; }

 private:
  std::unique_ptr<korvid::HidPort> port_;
  korvid::LinkState link_;
};

}  // namespace korvidctl
