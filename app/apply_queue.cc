#include "app/apply_queue.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace korvid {

// Shared with the worker, so that a worker outliving a bounded stop still
// has its state.
struct ApplyQueue::State {
  Apply apply;
  Finished finished;
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::optional<ProfileRecord> pending;
  ProfileRecord runningProfile;  // what the running apply writes
  bool running = false;
  bool stopping = false;
  std::thread worker;

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return stopping || pending.has_value(); });
      if (!pending) return;
      runningProfile = std::move(*pending);
      pending.reset();
      running = true;
      lock.unlock();
      // Written only here, under the lock; requests only compare with it.
      const SessionResult result = apply(runningProfile);
      lock.lock();
      running = false;
      if (result != SessionResult::kDone) pending.reset();
      const bool idle = !pending;
      changed.notify_all();
      if (idle) {
        lock.unlock();
        finished(result);
        lock.lock();
      }
    }
  }
};

ApplyQueue::ApplyQueue(Apply apply, Finished finished) : state_(std::make_shared<State>()) {
  state_->apply = std::move(apply);
  state_->finished = std::move(finished);
  state_->worker = std::thread([state = state_] { state->Run(); });
}

ApplyQueue::~ApplyQueue() { Stop(kStopBound); }

bool ApplyQueue::Request(ProfileRecord profile) {
  bool wasIdle = false;
  {
    std::lock_guard lock(state_->mutex);
    if (state_->stopping) return false;
    wasIdle = !state_->running && !state_->pending;
    if (state_->running && state_->runningProfile == profile) {
      // The running apply writes these very settings: nothing more to wait for.
      state_->pending.reset();
    } else {
      state_->pending = std::move(profile);
    }
  }
  state_->changed.notify_all();
  return wasIdle;
}

bool ApplyQueue::Busy() const {
  std::lock_guard lock(state_->mutex);
  return state_->running || state_->pending.has_value();
}

void ApplyQueue::DropPending() {
  std::lock_guard lock(state_->mutex);
  state_->pending.reset();
}

bool ApplyQueue::Stop(std::chrono::milliseconds bound) {
  std::unique_lock lock(state_->mutex);
  // Stopped before: the worker has been joined or left to itself.
  if (!state_->worker.joinable()) return !state_->running;
  state_->stopping = true;
  state_->pending.reset();
  state_->changed.notify_all();
  const bool ended = state_->changed.wait_for(lock, bound, [this] { return !state_->running; });
  lock.unlock();
  if (ended) {
    state_->worker.join();
  } else {
    state_->worker.detach();
  }
  return ended;
}

}  // namespace korvid
