#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "device/hid_port.h"
#include "device/session.h"
#include "profile/profile_record.h"

// The one thread that talks to the mouse on the window's behalf. It owns the
// port and the link; every read, discovery, apply and close runs there, one
// at a time, in the order asked for. The window never waits for the mouse:
// it asks, goes on, and takes the news when the worker tells it some has
// come (a callback that only posts a message). Nothing the worker touches
// belongs to the window, so a worker left running after a bounded stop
// still has everything it uses.
namespace korvid {

// What the worker says to the mouse: the device session on a port and the
// link it owns (MakeSessionConversation), or a test's stand-in. Used by the
// worker's thread alone.
class MouseConversation {
 public:
  virtual ~MouseConversation() = default;
  // Discovery, status query, block read into `profile` (ReadMouseProfile).
  virtual SessionOutcome Read(ProfileRecord& profile) = 0;
  // Discovery, status query, block write, commit (ApplyMouseProfile), the
  // commit only once `mayCommit` says so.
  virtual SessionOutcome Apply(const ProfileRecord& profile, const CommitGate& mayCommit) = 0;
  // Discovery alone (FindMouse).
  virtual SessionOutcome Discover() = 0;
  // Lets go of the mouse's interface (CloseConfigInterface).
  virtual void Close() = 0;
};

std::unique_ptr<MouseConversation> MakeSessionConversation(std::unique_ptr<HidPort> port);

// One piece of news for the window, taken by value.
struct DeviceNews {
  enum class Kind : uint8_t {
    kRead,             // a read asked for with Read() has ended
    kDiscovered,       // a discovery asked for with Discover() has ended
    kAppliesFinished,  // the applies asked for are done; outcome is the last one's
  };
  Kind kind = Kind::kRead;
  uint64_t ticket = 0;  // kRead, kDiscovered: the number Read() or Discover() gave
  SessionOutcome outcome;
  // kRead: the profile the read was given, holding the mouse's settings when
  // outcome.result is kDone.
  ProfileRecord profile;
};

class DeviceWorker {
 public:
  // Called on the worker's thread, with its lock held, whenever news has
  // come: it must only pass the word on (post a message), never call back.
  using Notify = std::function<void()>;

  DeviceWorker(std::unique_ptr<MouseConversation> conversation, Notify notify);
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;
  // Stop with kStopBound.
  ~DeviceWorker();

  // Queues a read of the mouse into a copy of `base`; returns the job's
  // ticket, which its kRead news carries (0 once stopped: no news comes).
  uint64_t Read(ProfileRecord base);
  // Queues a discovery; returns its ticket (kDiscovered news), 0 once stopped.
  uint64_t Discover();
  // Queues the close of the mouse's interface; no news.
  void Close();

  // Asks for `profile` to be written to the mouse. The applies are
  // coalesced: while one runs at most one more waits, of the latest
  // profile asked for, and none when that is the profile being written; so
  // ten clicks on Apply write the mouse once, or twice when the settings
  // changed meanwhile. A waiting apply keeps its place among the other jobs.
  // A failed apply drops the waiting one: a mouse that has gone brings one
  // failure, not one per click. True when no apply ran or waited (a busy
  // spell begins, ended by one kAppliesFinished); false also once stopped.
  //
  // The caller saves the profile meanwhile and tells how that went with
  // SaveEnded: the mouse is written while the save runs, but the commit of
  // a profile waits for its save, and a failed save withholds it, so that the
  // mouse never holds settings the saved profile lacks.
  bool RequestApply(ProfileRecord profile);
  // The save of the profile last asked for has ended.
  void SaveEnded(bool saved);
  // An apply runs or waits.
  bool ApplyBusy() const;
  // Forgets the waiting apply; the running one goes on.
  void DropPendingApply();

  // The oldest news not taken yet, if any. Taken one at a time, so that
  // news acted on inside a modal loop keeps its order.
  std::optional<DeviceNews> TakeNews();
  // Waits up to `bound` for news to be there to take; true when it is.
  bool AwaitNews(std::chrono::milliseconds bound);

  // Drops every job not begun (the waiting apply too), refuses new ones,
  // stops telling of news, and waits up to `bound` for the running job to
  // end. True when it has ended; otherwise the worker is left to finish it
  // on its own, with the port and the link it owns.
  bool Stop(std::chrono::milliseconds bound);

  static constexpr std::chrono::milliseconds kStopBound{15000};

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace korvid
