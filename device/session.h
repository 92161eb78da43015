#pragma once
#include <cstdint>
#include <string>

#include "device/commands.h"
#include "device/error_codes.h"
#include "device/link.h"
#include "profile/profile_record.h"

// The conversation with the Korvid mouse, written once for the program and
// korvidctl. Each operation begins with a fresh discovery of the mouse (the
// model's vendor and product IDs) on the link's port, then runs its commands
// in order, each only after the one before succeeded; the pauses between
// request and reply are the commands' own. The link serves one caller at a
// time: callers that share it between threads hold their own lock around
// an operation.
namespace korvid {

enum class SessionResult : uint8_t { kDone = 0, kNoMouse = 1, kFailed = 2 };

// The command an operation stopped at.
enum class SessionStep : uint8_t { kNone, kStatus, kReadBlock, kWriteBlock, kCommit };

struct SessionOutcome {
  SessionResult result = SessionResult::kNoMouse;
  SessionStep failedStep = SessionStep::kNone;  // set when result is kFailed
  // Windows error code of the failed command's last report exchange;
  // kErrorSuccess when the reports went through but the reply was refused
  // (a block read not marked ready).
  uint32_t error = kErrorSuccess;
  // "V1.09" for the mouse found; kNoFirmwareVersion ("-.--") when none was.
  std::string firmwareVersion = kNoFirmwareVersion;
};

// Discovery alone: finds and opens the mouse's configuration interface and
// reads its firmware version. kDone or kNoMouse.
SessionOutcome FindMouse(LinkState& link);

// Discovery, status query, block read. On success the fields the block
// carries are written into `profile` (ImageToProfile); its other fields keep
// their values. On failure `profile` is untouched and the handle stays held.
SessionOutcome ReadMouseProfile(LinkState& link, ProfileRecord& profile);

// Discovery, status query, block write of `profile` with its profileIndex,
// commit of that index. A failed command drops the handle (connected keeps
// its value), so that the next discovery opens the interface afresh.
SessionOutcome ApplyMouseProfile(LinkState& link, const ProfileRecord& profile);

}  // namespace korvid
