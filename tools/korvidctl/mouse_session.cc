#include "tools/korvidctl/mouse_session.h"

#include <iostream>

#include "device/commands.h"
#include "emulator/emulated_mouse.h"
#include "profile/device_image.h"
#include "profile/device_model.h"
#include "tools/korvidctl/exit_codes.h"

namespace korvidctl {

using namespace korvid;

MouseSession::MouseSession(const std::filesystem::path& emulatorFolder)
    : port_(emulatorFolder.empty() ? MakePlatformHidPort() : emulator::MakeEmulatedPort(emulatorFolder)) {
  link_.port = port_.get();
}

int MouseSession::Open() {
  if (OpenConfigInterface(link_, KorvidModel().vendorId, KorvidModel().productId) != 1)
    return Fail(kExitNoMouse, "no Korvid mouse found");
  return kExitOk;
}

int MouseSession::Read(ProfileRecord& profile) {
  if (int code = Open(); code != kExitOk) return code;
  uint8_t status = 0;
  if (QueryStatus(link_, status) != kCommandOk) return Fail(kExitMouseFailed, "the mouse did not answer the status query");
  DeviceImage image{};
  if (ReadConfigBlock(link_, image) != kCommandOk)
    return Fail(kExitMouseFailed, "the mouse did not return its configuration");
  InitProfileDefaults(profile);
  ImageToProfile(image, profile);
  return kExitOk;
}

int MouseSession::Apply(const ProfileRecord& profile) {
  if (int code = Open(); code != kExitOk) return code;
  const char* failed = nullptr;
  uint8_t status = 0;
  DeviceImage image{};
  if (QueryStatus(link_, status) != kCommandOk) {
    failed = "the mouse did not answer the status query";
  } else {
    ProfileToImage(profile, image);
    if (WriteConfigBlock(link_, image, profile.profileIndex) != kCommandOk)
      failed = "the mouse refused the configuration block";
    else if (CommitProfile(link_, profile.profileIndex) != kCommandOk)
      failed = "the mouse did not commit the configuration";
  }
  if (failed) {
    DropConfigHandle(link_);
    return Fail(kExitMouseFailed, std::string("apply failed: ") + failed);
  }
  return kExitOk;
}

}  // namespace korvidctl
