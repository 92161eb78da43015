#include "device/session.h"

#include <memory>

#include "device/mouse_lock.h"
#include "profile/device_image.h"
#include "profile/device_model.h"

namespace korvid {
namespace {

// Whether the interface the link holds is still among those present.
bool StillListed(const LinkState& link) {
  if (!link.port || link.path.empty()) return false;
  for (const std::string& path : link.port->EnumerateInterfaces())
    if (path == link.path) return true;
  return false;
}

SessionOutcome Failed(SessionOutcome outcome, SessionStep step, const LinkState& link) {
  outcome.result = SessionResult::kFailed;
  outcome.failedStep = step;
  outcome.error = link.lastError;
  if (link.lastError == kErrorSuccess) return outcome;
  // A handle whose device was removed answers every call with this code;
  // Windows may answer with another (a general failure, say) while the
  // device goes, so a failed report is also judged by whether the mouse is
  // still there.
  if (link.lastError == kErrorDeviceNotConnected || !StillListed(link)) {
    outcome.detail = SessionDetail::kMouseGone;
  } else if (IsRefusalError(link.lastError)) {
    outcome.detail = SessionDetail::kRefused;
  }
  return outcome;
}

// Discovery, then the mouse's lock for the rest of the operation. kDone
// with `lock` held (or none to take), kNoMouse, or kBusy.
SessionOutcome FindAndLock(LinkState& link, std::unique_ptr<MouseLock>& lock) {
  SessionOutcome found = FindMouse(link);
  if (found.result != SessionResult::kDone) return found;
  MouseLockResult locked = MouseLockResult::kUnavailable;
  uint32_t error = 0;
  lock = AcquireMouseLock(link.port->LockKey(link.path), link.lockWaitMs, locked, &error);
  // A mouse without a lock to take (a port no other program reaches) is
  // used as it is; one whose lock the system would not make is not, unless
  // the caller asked to go on without it.
  if (locked == MouseLockResult::kBusy) found.result = SessionResult::kBusy;
  if (locked == MouseLockResult::kFailed && link.requireLock) {
    found.result = SessionResult::kFailed;
    found.detail = SessionDetail::kLockFailed;
    found.error = error;
  }
  return found;
}

// The block write and the commit of `block` under `profileIndex`; kDone, or
// kFailed with the step.
SessionOutcome WriteAndCommitBytes(LinkState& link, const ConfigBlock& block, uint8_t profileIndex,
                                   SessionOutcome found, const CommitGate& mayCommit = {}) {
  if (WriteConfigBlockBytes(link, block, profileIndex) != kCommandOk)
    return Failed(found, SessionStep::kWriteBlock, link);
  if (mayCommit && !mayCommit()) {
    SessionOutcome withheld = found;
    withheld.result = SessionResult::kFailed;
    withheld.failedStep = SessionStep::kCommit;
    withheld.detail = SessionDetail::kCommitWithheld;
    return withheld;
  }
  bool commitSent = false;
  if (CommitProfile(link, profileIndex, &commitSent) != kCommandOk) {
    SessionOutcome failed = Failed(found, SessionStep::kCommit, link);
    failed.commitSent = commitSent;
    // Once the commit went out, what matters is that the mouse may have
    // taken it, whatever became of its reply.
    if (commitSent && failed.detail != SessionDetail::kMouseGone) failed.detail = SessionDetail::kCommitReplyLost;
    return failed;
  }
  return found;
}

// The apply's commands after discovery; kDone, or kFailed with the step.
SessionOutcome WriteAndCommit(LinkState& link, const ProfileRecord& profile, SessionOutcome found,
                              const CommitGate& mayCommit) {
  uint8_t status = 0;
  if (QueryStatus(link, status) != kCommandOk) return Failed(found, SessionStep::kStatus, link);
  DeviceImage image{};
  ProfileToImage(profile, image);
  return WriteAndCommitBytes(link, PackBlock(image), profile.profileIndex, found, mayCommit);
}

SessionOutcome StatusAndRead(LinkState& link, ConfigBlock& block, const SessionOutcome& found) {
  uint8_t status = 0;
  if (QueryStatus(link, status) != kCommandOk) return Failed(found, SessionStep::kStatus, link);
  if (ReadConfigBlockBytes(link, block) != kCommandOk) return Failed(found, SessionStep::kReadBlock, link);
  return found;
}

}  // namespace

SessionOutcome FindMouse(LinkState& link) {
  const DeviceModel& model = KorvidModel();
  SessionOutcome outcome;
  if (OpenConfigInterface(link, model.vendorId, model.productId) != 1) {
    if (link.lastError == kErrorSharingViolation) outcome.detail = SessionDetail::kInterfaceHeld;
    if (link.lastError == kErrorAccessDenied) outcome.detail = SessionDetail::kAccessDenied;
    outcome.interfacePath = link.refusedPath;
    return outcome;
  }
  outcome.result = SessionResult::kDone;
  outcome.interfacePath = link.path;
  outcome.firmwareVersion = FormatFirmwareVersion(FirmwareVersionNumber(link));
  return outcome;
}

SessionOutcome ReadMouseProfile(LinkState& link, ProfileRecord& profile) {
  ConfigBlock block{};
  const SessionOutcome outcome = ReadMouseBlock(link, block);
  if (outcome.result == SessionResult::kDone) ImageToProfile(UnpackBlock(block), profile);
  return outcome;
}

SessionOutcome ReadMouseBlock(LinkState& link, ConfigBlock& block) {
  std::unique_ptr<MouseLock> lock;
  const SessionOutcome found = FindAndLock(link, lock);
  if (found.result != SessionResult::kDone) return found;
  ConfigBlock read{};
  const SessionOutcome outcome = StatusAndRead(link, read, found);
  if (outcome.result == SessionResult::kDone) block = read;
  return outcome;
}

SessionOutcome ApplyMouseProfile(LinkState& link, const ProfileRecord& profile, const CommitGate& mayCommit) {
  std::unique_ptr<MouseLock> lock;
  const SessionOutcome found = FindAndLock(link, lock);
  if (found.result != SessionResult::kDone) return found;
  const SessionOutcome outcome = WriteAndCommit(link, profile, found, mayCommit);
  if (outcome.result == SessionResult::kFailed) DropConfigHandle(link);
  return outcome;
}

SessionOutcome ChangeMouseBlock(LinkState& link, const std::function<bool(ConfigBlock&)>& change) {
  std::unique_ptr<MouseLock> lock;
  const SessionOutcome found = FindAndLock(link, lock);
  if (found.result != SessionResult::kDone) return found;
  ConfigBlock block{};
  SessionOutcome outcome = StatusAndRead(link, block, found);
  if (outcome.result == SessionResult::kDone && change(block)) {
    uint8_t status = 0;
    if (QueryStatus(link, status) != kCommandOk)
      outcome = Failed(found, SessionStep::kStatus, link);
    else
      outcome = WriteAndCommitBytes(link, block, UnpackBlock(block).profileIndex, found);
  }
  if (outcome.result == SessionResult::kFailed) DropConfigHandle(link);
  return outcome;
}

}  // namespace korvid
