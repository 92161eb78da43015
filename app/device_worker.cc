#include "app/device_worker.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace korvid {
namespace {

struct Job {
  enum class Kind : uint8_t { kRead, kApply, kDiscover, kClose };
  Kind kind = Kind::kRead;
  uint64_t ticket = 0;
  ProfileRecord profile;  // kRead: the base the read writes into
};

// A profile to write, and how its save went: its commit waits for the save.
struct ApplySlot {
  enum class Save : uint8_t { kRunning, kSaved, kFailed };
  ProfileRecord profile;
  Save save = Save::kRunning;
};

}  // namespace

// Shared with the worker's thread: a worker outliving a bounded stop still
// has its conversation (the port and the link), its jobs and its lock.
struct DeviceWorker::State {
  std::unique_ptr<MouseConversation> conversation;  // the worker's thread alone uses it
  mutable std::mutex mutex;
  std::condition_variable changed;
  Notify notify;  // cleared by Stop
  std::deque<Job> jobs;
  // The waiting apply's profile; a kApply job in `jobs` marks its place.
  std::optional<ApplySlot> pendingApply;
  std::optional<ApplySlot> runningApply;  // what the running apply writes
  // Whose save SaveEnded tells of: the apply last asked for, if it has a
  // save of its own (not when it joined the running apply of the same profile).
  enum class SaveOf : uint8_t { kNone, kPending, kRunning };
  SaveOf saveOf = SaveOf::kNone;
  bool running = false;                       // a job runs
  bool stopping = false;
  uint64_t lastTicket = 0;
  std::deque<DeviceNews> news;
  std::thread thread;

  void DropPendingApply() {
    pendingApply.reset();
    if (saveOf == SaveOf::kPending) saveOf = SaveOf::kNone;
    jobs.erase(std::remove_if(jobs.begin(), jobs.end(), [](const Job& job) { return job.kind == Job::Kind::kApply; }),
               jobs.end());
  }

  uint64_t Queue(Job job) {
    job.ticket = ++lastTicket;
    const uint64_t ticket = job.ticket;
    jobs.push_back(std::move(job));
    changed.notify_all();
    return ticket;
  }

  void Tell(DeviceNews item) {
    news.push_back(std::move(item));
    changed.notify_all();
    if (notify) notify();
  }

  // Runs `job` without the lock; takes the lock back to report it.
  void RunJob(Job& job, std::unique_lock<std::mutex>& lock) {
    DeviceNews item;
    item.ticket = job.ticket;
    lock.unlock();
    switch (job.kind) {
      case Job::Kind::kRead:
        item.kind = DeviceNews::Kind::kRead;
        item.outcome = conversation->Read(job.profile);
        item.profile = std::move(job.profile);
        break;
      case Job::Kind::kApply:
        // runningApply's profile is written only under the lock, by this
        // thread; a request only compares with it.
        item.kind = DeviceNews::Kind::kAppliesFinished;
        item.outcome = conversation->Apply(runningApply->profile, [this] { return AwaitSave(); });
        break;
      case Job::Kind::kDiscover:
        item.kind = DeviceNews::Kind::kDiscovered;
        item.outcome = conversation->Discover();
        break;
      case Job::Kind::kClose:
        conversation->Close();
        break;
    }
    lock.lock();
    running = false;
    if (job.kind == Job::Kind::kClose) {
      changed.notify_all();
      return;
    }
    if (job.kind == Job::Kind::kApply) {
      runningApply.reset();
      if (saveOf == SaveOf::kRunning) saveOf = SaveOf::kNone;
      if (item.outcome.result != SessionResult::kDone) DropPendingApply();
      // The spell of applies goes on while one waits: it reports once, at its end.
      if (pendingApply) {
        changed.notify_all();
        return;
      }
    }
    Tell(std::move(item));
  }

  // The commit gate of the running apply: true once its profile is saved.
  bool AwaitSave() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return stopping || runningApply->save != ApplySlot::Save::kRunning; });
    return runningApply->save == ApplySlot::Save::kSaved;
  }

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return stopping || !jobs.empty(); });
      if (jobs.empty()) return;
      Job job = std::move(jobs.front());
      jobs.pop_front();
      if (job.kind == Job::Kind::kApply) {
        runningApply = std::move(pendingApply);
        pendingApply.reset();
        if (saveOf == SaveOf::kPending) saveOf = SaveOf::kRunning;
      }
      running = true;
      RunJob(job, lock);
    }
  }
};

DeviceWorker::DeviceWorker(std::unique_ptr<MouseConversation> conversation, Notify notify)
    : state_(std::make_shared<State>()) {
  state_->conversation = std::move(conversation);
  state_->notify = std::move(notify);
  state_->thread = std::thread([state = state_] { state->Run(); });
}

DeviceWorker::~DeviceWorker() { Stop(kStopBound); }

uint64_t DeviceWorker::Read(ProfileRecord base) {
  std::lock_guard lock(state_->mutex);
  if (state_->stopping) return 0;
  return state_->Queue(Job{Job::Kind::kRead, 0, std::move(base)});
}

uint64_t DeviceWorker::Discover() {
  std::lock_guard lock(state_->mutex);
  if (state_->stopping) return 0;
  return state_->Queue(Job{Job::Kind::kDiscover, 0, {}});
}

void DeviceWorker::Close() {
  std::lock_guard lock(state_->mutex);
  if (!state_->stopping) state_->Queue(Job{Job::Kind::kClose, 0, {}});
}

bool DeviceWorker::RequestApply(ProfileRecord profile) {
  std::lock_guard lock(state_->mutex);
  if (state_->stopping) return false;
  const bool wasIdle = !state_->runningApply && !state_->pendingApply;
  if (state_->runningApply && state_->runningApply->profile == profile) {
    // The running apply writes these very settings: nothing more to wait for.
    state_->DropPendingApply();
    state_->saveOf = State::SaveOf::kNone;
  } else {
    if (!state_->pendingApply) state_->Queue(Job{Job::Kind::kApply, 0, {}});
    state_->pendingApply = ApplySlot{std::move(profile)};
    state_->saveOf = State::SaveOf::kPending;
  }
  return wasIdle;
}

void DeviceWorker::SaveEnded(bool saved) {
  std::lock_guard lock(state_->mutex);
  std::optional<ApplySlot>* slot = nullptr;
  if (state_->saveOf == State::SaveOf::kPending) slot = &state_->pendingApply;
  if (state_->saveOf == State::SaveOf::kRunning) slot = &state_->runningApply;
  state_->saveOf = State::SaveOf::kNone;
  if (!slot || !*slot) return;
  (*slot)->save = saved ? ApplySlot::Save::kSaved : ApplySlot::Save::kFailed;
  state_->changed.notify_all();
}

bool DeviceWorker::ApplyBusy() const {
  std::lock_guard lock(state_->mutex);
  return state_->runningApply.has_value() || state_->pendingApply.has_value();
}

void DeviceWorker::DropPendingApply() {
  std::lock_guard lock(state_->mutex);
  state_->DropPendingApply();
}

std::optional<DeviceNews> DeviceWorker::TakeNews() {
  std::lock_guard lock(state_->mutex);
  if (state_->news.empty()) return std::nullopt;
  DeviceNews oldest = std::move(state_->news.front());
  state_->news.pop_front();
  return oldest;
}

bool DeviceWorker::AwaitNews(std::chrono::milliseconds bound) {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, bound, [this] { return !state_->news.empty(); });
}

bool DeviceWorker::Stop(std::chrono::milliseconds bound) {
  std::unique_lock lock(state_->mutex);
  // Stopped before: the thread has been joined or left to itself.
  if (!state_->thread.joinable()) return !state_->running;
  state_->stopping = true;
  state_->notify = nullptr;
  state_->jobs.clear();
  state_->pendingApply.reset();
  state_->changed.notify_all();
  const bool ended = state_->changed.wait_for(lock, bound, [this] { return !state_->running; });
  lock.unlock();
  if (ended) {
    state_->thread.join();
  } else {
    state_->thread.detach();
  }
  return ended;
}

}  // namespace korvid
