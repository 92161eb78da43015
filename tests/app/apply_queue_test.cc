#include "app/apply_queue.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvid {
namespace {

using namespace std::chrono_literals;

// A mouse whose applies wait at a gate until the test opens it, one apply
// per opening; it notes every profile written and every idle report.
struct GatedMouse {
  std::mutex mutex;
  std::condition_variable changed;
  int openings = 0;
  std::vector<std::u16string> written;
  std::vector<SessionResult> results;  // what each apply returns, in turn
  std::vector<SessionResult> finished;
  bool waiting = false;                // an apply waits at the gate

  SessionResult Apply(const ProfileRecord& profile) {
    std::unique_lock lock(mutex);
    waiting = true;
    changed.notify_all();
    changed.wait(lock, [this] { return openings > 0; });
    --openings;
    waiting = false;
    written.push_back(profile.name);
    const SessionResult result = results.size() > written.size() - 1 ? results[written.size() - 1]
                                                                        : SessionResult::kDone;
    return result;
  }
  void Finished(SessionResult result) {
    std::lock_guard lock(mutex);
    finished.push_back(result);
    changed.notify_all();
  }
  void AwaitApplyAtGate() {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 10s, [this] { return waiting; }));
  }
  void Open(int applies = 1) {
    std::lock_guard lock(mutex);
    openings += applies;
    changed.notify_all();
  }
  void AwaitFinished(size_t count) {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return finished.size() >= count; }));
  }
};

ProfileRecord Named(const char16_t* name) {
  ProfileRecord profile;
  profile.name = name;
  return profile;
}

class ApplyQueueTest : public ::testing::Test {
 protected:
  std::shared_ptr<GatedMouse> mouse = std::make_shared<GatedMouse>();
  ApplyQueue queue{[mouse = mouse](const ProfileRecord& p) { return mouse->Apply(p); },
                   [mouse = mouse](SessionResult r) { mouse->Finished(r); }};
};

TEST_F(ApplyQueueTest, RequestsDuringAnApplyLeaveOnlyTheLatestPending) {
  EXPECT_TRUE(queue.Request(Named(u"first")));
  mouse->AwaitApplyAtGate();
  for (const char16_t* name : {u"second", u"third", u"latest"}) EXPECT_FALSE(queue.Request(Named(name)));
  EXPECT_TRUE(queue.Busy());
  mouse->Open(2);
  mouse->AwaitFinished(1);
  EXPECT_FALSE(queue.Busy());
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, (std::vector<std::u16string>{u"first", u"latest"}));
  // One report for the whole busy spell.
  EXPECT_EQ(mouse->finished, std::vector<SessionResult>{SessionResult::kDone});
}

TEST_F(ApplyQueueTest, RequestsForTheProfileBeingWrittenAddNothing) {
  struct Case {
    const char* what;
    std::vector<const char16_t*> during;  // requested while "running" is written
    std::vector<std::u16string> written;
  };
  const Case cases[] = {
      {"the same again and again", {u"running", u"running", u"running"}, {u"running"}},
      {"changed, then changed back", {u"other", u"running"}, {u"running"}},
      {"the same, then changed", {u"running", u"other"}, {u"running", u"other"}},
  };
  size_t spells = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      std::lock_guard lock(mouse->mutex);
      mouse->written.clear();
    }
    queue.Request(Named(u"running"));
    mouse->AwaitApplyAtGate();
    for (const char16_t* name : c.during) queue.Request(Named(name));
    mouse->Open(2);
    mouse->AwaitFinished(++spells);
    std::lock_guard lock(mouse->mutex);
    mouse->openings = 0;
    EXPECT_EQ(mouse->written, c.written);
  }
}

TEST_F(ApplyQueueTest, AFailedApplyDropsThePendingOneAndReportsOnce) {
  for (SessionResult failure : {SessionResult::kFailed, SessionResult::kNoMouse}) {
    SCOPED_TRACE(static_cast<int>(failure));
    {
      std::lock_guard lock(mouse->mutex);
      mouse->written.clear();
      mouse->finished.clear();
      mouse->results = {failure};
    }
    EXPECT_TRUE(queue.Request(Named(u"fails")));
    mouse->AwaitApplyAtGate();
    EXPECT_FALSE(queue.Request(Named(u"dropped")));
    mouse->Open();
    mouse->AwaitFinished(1);
    EXPECT_FALSE(queue.Busy());
    std::lock_guard lock(mouse->mutex);
    EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"fails"});
    EXPECT_EQ(mouse->finished, std::vector<SessionResult>{failure});
  }
  // The queue goes on: the next request is written.
  {
    std::lock_guard lock(mouse->mutex);
    mouse->results.clear();
    mouse->written.clear();
  }
  EXPECT_TRUE(queue.Request(Named(u"after")));
  mouse->Open();
  mouse->AwaitFinished(2);
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"after"});
}

TEST_F(ApplyQueueTest, StopDropsThePendingApplyAndWaitsForTheRunningOne) {
  queue.Request(Named(u"running"));
  mouse->AwaitApplyAtGate();
  queue.Request(Named(u"pending"));
  std::thread opener([this] {
    std::this_thread::sleep_for(50ms);
    mouse->Open(2);
  });
  EXPECT_TRUE(queue.Stop(10s));
  opener.join();
  EXPECT_FALSE(queue.Request(Named(u"after stop")));
  EXPECT_FALSE(queue.Busy());
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"running"});
}

TEST_F(ApplyQueueTest, DropPendingKeepsTheRunningApply) {
  queue.Request(Named(u"running"));
  mouse->AwaitApplyAtGate();
  queue.Request(Named(u"pending"));
  queue.DropPending();
  mouse->Open(2);
  mouse->AwaitFinished(1);
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"running"});
}

TEST(ApplyQueueStop, AnApplyOutlastingTheBoundFinishesOnItsOwn) {
  auto mouse = std::make_shared<GatedMouse>();
  {
    ApplyQueue queue([mouse](const ProfileRecord& p) { return mouse->Apply(p); },
                     [mouse](SessionResult r) { mouse->Finished(r); });
    queue.Request(Named(u"slow"));
    mouse->AwaitApplyAtGate();
    EXPECT_FALSE(queue.Stop(20ms));
  }
  // The queue is gone; its worker still ends cleanly once the mouse answers.
  mouse->Open();
  mouse->AwaitFinished(1);
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"slow"});
}

}  // namespace
}  // namespace korvid
