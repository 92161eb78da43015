#pragma once
#include <chrono>
#include <functional>
#include <memory>

#include "device/session.h"
#include "profile/profile_record.h"

namespace korvid {

// The writes of the profile to the mouse, one at a time on a worker thread
// of their own, coalesced: a request made while an apply runs leaves at most
// one apply pending, of the latest profile asked for, and none when that is
// the profile being written; so ten clicks on Apply write the mouse once, or
// twice when the settings changed meanwhile. A failed apply drops the
// pending one: a mouse that has gone brings one failure, not one per click.
class ApplyQueue {
 public:
  // Writes a profile to the mouse; runs on the worker.
  using Apply = std::function<SessionResult(const ProfileRecord&)>;
  // Called on the worker each time the queue has become idle, with the last
  // apply's result. It should only pass the news on (post a message): a
  // request made meanwhile may already have made the queue busy again.
  using Finished = std::function<void(SessionResult)>;

  ApplyQueue(Apply apply, Finished finished);
  ApplyQueue(const ApplyQueue&) = delete;
  ApplyQueue& operator=(const ApplyQueue&) = delete;
  // Stop with the default bound.
  ~ApplyQueue();

  // Asks for `profile` to be written: at once when the queue is idle,
  // otherwise after the running apply, in place of any pending one (or not
  // at all when the running apply writes the same profile). True
  // when the queue was idle (a busy spell begins); false also once stopped.
  bool Request(ProfileRecord profile);
  // An apply runs or waits.
  bool Busy() const;
  // Forgets the pending apply; the running one goes on.
  void DropPending();
  // Drops the pending apply, refuses new requests and waits up to `bound`
  // for the running apply to end. True when it has ended; otherwise the
  // worker is left to finish on its own.
  bool Stop(std::chrono::milliseconds bound);

  static constexpr std::chrono::milliseconds kStopBound{15000};

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace korvid
