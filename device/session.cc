#include "device/session.h"

#include "profile/device_image.h"
#include "profile/device_model.h"

namespace korvid {
namespace {

SessionOutcome Failed(SessionOutcome outcome, SessionStep step, const LinkState& link) {
  outcome.result = SessionResult::kFailed;
  outcome.failedStep = step;
  outcome.error = link.lastError;
  return outcome;
}

// The apply's commands after discovery; kDone, or kFailed with the step.
SessionOutcome WriteAndCommit(LinkState& link, const ProfileRecord& profile, SessionOutcome found) {
  uint8_t status = 0;
  if (QueryStatus(link, status) != kCommandOk) return Failed(found, SessionStep::kStatus, link);
  DeviceImage image{};
  ProfileToImage(profile, image);
  if (WriteConfigBlock(link, image, profile.profileIndex) != kCommandOk)
    return Failed(found, SessionStep::kWriteBlock, link);
  if (CommitProfile(link, profile.profileIndex) != kCommandOk) return Failed(found, SessionStep::kCommit, link);
  return found;
}

}  // namespace

SessionOutcome FindMouse(LinkState& link) {
  const DeviceModel& model = KorvidModel();
  SessionOutcome outcome;
  if (OpenConfigInterface(link, model.vendorId, model.productId) != 1) return outcome;
  outcome.result = SessionResult::kDone;
  outcome.firmwareVersion = FormatFirmwareVersion(FirmwareVersionNumber(link));
  return outcome;
}

SessionOutcome ReadMouseProfile(LinkState& link, ProfileRecord& profile) {
  const SessionOutcome found = FindMouse(link);
  if (found.result != SessionResult::kDone) return found;
  uint8_t status = 0;
  if (QueryStatus(link, status) != kCommandOk) return Failed(found, SessionStep::kStatus, link);
  DeviceImage image{};
  if (ReadConfigBlock(link, image) != kCommandOk) return Failed(found, SessionStep::kReadBlock, link);
  ImageToProfile(image, profile);
  return found;
}

SessionOutcome ApplyMouseProfile(LinkState& link, const ProfileRecord& profile) {
  const SessionOutcome found = FindMouse(link);
  if (found.result != SessionResult::kDone) return found;
  const SessionOutcome outcome = WriteAndCommit(link, profile, found);
  if (outcome.result == SessionResult::kFailed) DropConfigHandle(link);
  return outcome;
}

}  // namespace korvid
