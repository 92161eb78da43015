#pragma once
#include <cstdint>
#include <functional>
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
//
// Other programs may use the same mouse: after discovery every operation
// holds the mouse's system-wide lock (device/mouse_lock.h) for all of its
// commands, so that reads, applies and read-change-writes never interleave.
// An operation that cannot get the lock within the link's lockWaitMs ends
// with kBusy and sends nothing.
namespace korvid {

enum class SessionResult : uint8_t { kDone = 0, kNoMouse = 1, kFailed = 2, kBusy = 3 };

// What an outcome can say beyond its result.
enum class SessionDetail : uint8_t {
  kNone,
  kInterfaceHeld,    // kNoMouse: the interface is listed but another program holds it
  kAccessDenied,     // kNoMouse: the interface is listed but the user may not open it
  kMouseGone,        // kFailed: the mouse went away during the operation
  kRefused,          // kFailed: the system or the mouse refused the request
  kLockFailed,       // kFailed: the mouse's lock could not be made (error: the system's code)
  kCommitReplyLost,  // kFailed at kCommit: block written, commit sent, its reply lost
  kCommitWithheld,   // kFailed at kCommit: block written, the caller withheld the commit
};

// The command an operation stopped at.
enum class SessionStep : uint8_t { kNone, kStatus, kReadBlock, kWriteBlock, kCommit };

struct SessionOutcome {
  SessionResult result = SessionResult::kNoMouse;
  SessionStep failedStep = SessionStep::kNone;  // set when result is kFailed
  // Windows error code of the failed command's last report exchange;
  // kErrorSuccess when the reports went through but the reply was refused
  // (a block read not marked ready).
  uint32_t error = kErrorSuccess;
  SessionDetail detail = SessionDetail::kNone;
  // kFailed at kCommit: the commit went out to the mouse, which may hold the
  // new settings whatever became of its reply.
  bool commitSent = false;
  // "V1.09" for the mouse found; kNoFirmwareVersion ("-.--") when none was.
  std::string firmwareVersion = kNoFirmwareVersion;
  // The interface found (kDone, kFailed) or, with kInterfaceHeld and
  // kAccessDenied, the one that could not be opened.
  std::string interfacePath;
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
// `mayCommit`, when given, is asked between the write and the commit (it may
// wait); false withholds the commit, so that the mouse keeps the block it
// had committed (kCommitWithheld).
using CommitGate = std::function<bool()>;
SessionOutcome ApplyMouseProfile(LinkState& link, const ProfileRecord& profile, const CommitGate& mayCommit = {});

// Discovery, status query, block read of the block's bytes as they are.
SessionOutcome ReadMouseBlock(LinkState& link, ConfigBlock& block);

// A read-change-write as one transaction: discovery, status query, block
// read, then `change` on the bytes read; when it returns true, the block is
// written back with the profile index it holds (byte 0) and committed,
// without letting go of the mouse in between. When it returns false nothing
// is written and the outcome is kDone. Failures drop the handle as an apply
// does.
SessionOutcome ChangeMouseBlock(LinkState& link, const std::function<bool(ConfigBlock&)>& change);

}  // namespace korvid
