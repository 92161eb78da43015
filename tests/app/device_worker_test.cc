#include "app/device_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/commands.h"
#include "emulator/emulated_mouse.h"
#include "tests/emulator/emulator_folder.h"
#include "profile/profile_record.h"

namespace korvid {
namespace {

using namespace std::chrono_literals;
using NewsKind = DeviceNews::Kind;

// A mouse whose every job waits at a gate until the test opens it, one job
// per opening; it notes every job it ran ("read", "apply <name>",
// "discover", "close"), in order.
struct GatedMouse {
  std::mutex mutex;
  std::condition_variable changed;
  int openings = 0;
  std::vector<std::string> ran;
  std::vector<std::u16string> written;
  std::vector<SessionResult> results;  // what each apply returns, in turn
  bool waiting = false;                // a job waits at the gate
  bool asksToCommit = false;           // an apply asks its commit gate, as a real one does
  std::vector<bool> commitAnswers;     // what the commit gates answered

  void Pass(const std::string& job) {
    std::unique_lock lock(mutex);
    waiting = true;
    changed.notify_all();
    changed.wait(lock, [this] { return openings > 0; });
    --openings;
    waiting = false;
    ran.push_back(job);
  }
  SessionResult Apply(const ProfileRecord& profile) {
    Pass("apply " + std::string(profile.name.begin(), profile.name.end()));
    std::lock_guard lock(mutex);
    written.push_back(profile.name);
    changed.notify_all();
    return results.size() >= written.size() ? results[written.size() - 1] : SessionResult::kDone;
  }
  void AwaitJobAtGate() {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 10s, [this] { return waiting; }));
  }
  void Open(int jobs = 1) {
    std::lock_guard lock(mutex);
    openings += jobs;
    changed.notify_all();
  }
};

class GatedConversation : public MouseConversation {
 public:
  explicit GatedConversation(std::shared_ptr<GatedMouse> mouse) : mouse_(std::move(mouse)) {}
  SessionOutcome Read(ProfileRecord& profile) override {
    mouse_->Pass("read");
    profile.cpi[0].x = 1250;
    return Done();
  }
  SessionOutcome Apply(const ProfileRecord& profile, const CommitGate& mayCommit) override {
    SessionOutcome outcome = Done();
    outcome.result = mouse_->Apply(profile);
    if (mouse_->asksToCommit) {
      const bool answer = mayCommit();
      std::lock_guard lock(mouse_->mutex);
      mouse_->commitAnswers.push_back(answer);
      mouse_->changed.notify_all();
      if (!answer) outcome.detail = SessionDetail::kCommitWithheld;
      if (!answer) outcome.result = SessionResult::kFailed;
    }
    return outcome;
  }
  SessionOutcome Discover() override {
    mouse_->Pass("discover");
    return Done();
  }
  void Close() override { mouse_->Pass("close"); }

 private:
  static SessionOutcome Done() {
    SessionOutcome outcome;
    outcome.result = SessionResult::kDone;
    return outcome;
  }
  std::shared_ptr<GatedMouse> mouse_;
};

ProfileRecord Named(const char16_t* name) {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  profile.name = name;
  return profile;
}

// The window's side: takes the worker's news as it comes.
struct NewsTaker {
  std::vector<DeviceNews> taken;

  size_t Count(NewsKind kind) const {
    size_t count = 0;
    for (const DeviceNews& news : taken) count += news.kind == kind ? 1 : 0;
    return count;
  }
  void Await(DeviceWorker& worker, NewsKind kind, size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (Count(kind) < count) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the news never came";
      worker.AwaitNews(100ms);
      while (std::optional<DeviceNews> news = worker.TakeNews()) taken.push_back(std::move(*news));
    }
  }
  std::vector<SessionResult> AppliesFinished() const {
    std::vector<SessionResult> results;
    for (const DeviceNews& news : taken) {
      if (news.kind == NewsKind::kAppliesFinished) results.push_back(news.outcome.result);
    }
    return results;
  }
};

class DeviceWorkerTest : public ::testing::Test {
 protected:
  std::shared_ptr<GatedMouse> mouse = std::make_shared<GatedMouse>();
  DeviceWorker worker{std::make_unique<GatedConversation>(mouse), [] {}};
  NewsTaker news;

  std::vector<std::string> Ran() {
    std::lock_guard lock(mouse->mutex);
    return mouse->ran;
  }
};

// -- the applies: coalesced as a user's clicks need

// -- the commit waits for the profile's save

TEST_F(DeviceWorkerTest, EachApplysCommitWaitsForItsOwnSaveAndAFailedSaveWithholdsIt) {
  mouse->asksToCommit = true;
  // "first" runs and its save succeeds; "second" waits behind it and its save
  // fails; "third", asked while "second" still waits, replaces it and saves.
  const struct {
    std::vector<std::pair<const char16_t*, bool>> requests;  // in order, each with its save
    std::vector<std::u16string> written;
    std::vector<bool> answers;
    SessionResult reported;
  } cases[] = {
      {{{u"first", true}}, {u"first"}, {true}, SessionResult::kDone},
      {{{u"first", false}}, {u"first"}, {false}, SessionResult::kFailed},
      {{{u"first", true}, {u"second", false}}, {u"first", u"second"}, {true, false}, SessionResult::kFailed},
      {{{u"first", false}, {u"second", true}}, {u"first"}, {false}, SessionResult::kFailed},
      {{{u"first", true}, {u"second", false}, {u"third", true}}, {u"first", u"third"}, {true, true},
       SessionResult::kDone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.requests.size() << " requests, the last " << c.requests.back().second);
    {
      std::lock_guard lock(mouse->mutex);
      mouse->written.clear();
      mouse->commitAnswers.clear();
    }
    news.taken.clear();
    for (const auto& [name, saved] : c.requests) {
      worker.RequestApply(Named(name));
      if (&name == &c.requests.front().first) mouse->AwaitJobAtGate();
      worker.SaveEnded(saved);
    }
    mouse->Open(static_cast<int>(c.written.size()));
    news.Await(worker, NewsKind::kAppliesFinished, 1);
    std::lock_guard lock(mouse->mutex);
    EXPECT_EQ(mouse->written, c.written);
    EXPECT_EQ(mouse->commitAnswers, c.answers);
    EXPECT_EQ(news.AppliesFinished(), std::vector<SessionResult>{c.reported});
  }
}

TEST_F(DeviceWorkerTest, ACommitAskedBeforeTheSaveHasEndedWaitsForIt) {
  mouse->asksToCommit = true;
  worker.RequestApply(Named(u"slow save"));
  mouse->Open();
  // The apply is at its commit gate now, or soon: nothing answers it yet.
  std::this_thread::sleep_for(50ms);
  {
    std::lock_guard lock(mouse->mutex);
    EXPECT_TRUE(mouse->commitAnswers.empty());
  }
  worker.SaveEnded(true);
  news.Await(worker, NewsKind::kAppliesFinished, 1);
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->commitAnswers, std::vector<bool>{true});
}

TEST_F(DeviceWorkerTest, RequestsDuringAnApplyLeaveOnlyTheLatestPending) {
  EXPECT_TRUE(worker.RequestApply(Named(u"first")));
  mouse->AwaitJobAtGate();
  for (const char16_t* name : {u"second", u"third", u"latest"}) EXPECT_FALSE(worker.RequestApply(Named(name)));
  EXPECT_TRUE(worker.ApplyBusy());
  mouse->Open(2);
  news.Await(worker, NewsKind::kAppliesFinished, 1);
  EXPECT_FALSE(worker.ApplyBusy());
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, (std::vector<std::u16string>{u"first", u"latest"}));
  // One report for the whole busy spell.
  EXPECT_EQ(news.AppliesFinished(), std::vector<SessionResult>{SessionResult::kDone});
}

TEST_F(DeviceWorkerTest, RequestsForTheProfileBeingWrittenAddNothing) {
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
    worker.RequestApply(Named(u"running"));
    mouse->AwaitJobAtGate();
    for (const char16_t* name : c.during) worker.RequestApply(Named(name));
    mouse->Open(2);
    news.Await(worker, NewsKind::kAppliesFinished, ++spells);
    std::lock_guard lock(mouse->mutex);
    mouse->openings = 0;
    EXPECT_EQ(mouse->written, c.written);
  }
}

TEST_F(DeviceWorkerTest, AFailedApplyDropsThePendingOneAndReportsOnce) {
  for (SessionResult failure : {SessionResult::kFailed, SessionResult::kNoMouse}) {
    SCOPED_TRACE(static_cast<int>(failure));
    news.taken.clear();
    {
      std::lock_guard lock(mouse->mutex);
      mouse->written.clear();
      mouse->results = {failure};
    }
    EXPECT_TRUE(worker.RequestApply(Named(u"fails")));
    mouse->AwaitJobAtGate();
    EXPECT_FALSE(worker.RequestApply(Named(u"dropped")));
    mouse->Open();
    news.Await(worker, NewsKind::kAppliesFinished, 1);
    EXPECT_FALSE(worker.ApplyBusy());
    std::lock_guard lock(mouse->mutex);
    EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"fails"});
    EXPECT_EQ(news.AppliesFinished(), std::vector<SessionResult>{failure});
  }
  // The worker goes on: the next request is written.
  {
    std::lock_guard lock(mouse->mutex);
    mouse->results.clear();
    mouse->written.clear();
  }
  EXPECT_TRUE(worker.RequestApply(Named(u"after")));
  mouse->Open();
  news.Await(worker, NewsKind::kAppliesFinished, 2);
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"after"});
}

TEST_F(DeviceWorkerTest, StopDropsEveryJobNotBegunAndWaitsForTheRunningOne) {
  worker.RequestApply(Named(u"running"));
  mouse->AwaitJobAtGate();
  worker.RequestApply(Named(u"pending"));
  worker.Read(Named(u"base"));
  worker.Discover();
  std::thread opener([this] {
    std::this_thread::sleep_for(50ms);
    mouse->Open(4);
  });
  EXPECT_TRUE(worker.Stop(10s));
  opener.join();
  EXPECT_FALSE(worker.RequestApply(Named(u"after stop")));
  EXPECT_EQ(worker.Read(Named(u"after stop")), 0u);
  EXPECT_FALSE(worker.ApplyBusy());
  EXPECT_EQ(Ran(), std::vector<std::string>{"apply running"});
}

TEST_F(DeviceWorkerTest, DropPendingKeepsTheRunningApply) {
  worker.RequestApply(Named(u"running"));
  mouse->AwaitJobAtGate();
  worker.RequestApply(Named(u"pending"));
  worker.DropPendingApply();
  mouse->Open(2);
  news.Await(worker, NewsKind::kAppliesFinished, 1);
  std::lock_guard lock(mouse->mutex);
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"running"});
}

// -- every job, one at a time, in the order asked for

TEST_F(DeviceWorkerTest, JobsRunInTheOrderAskedAndAWaitingApplyKeepsItsPlace) {
  struct Case {
    const char* what;
    // r read, d discover, c close, a/b/s an apply of "a", "b", "same" (the
    // first job is held at the gate until all are asked for).
    std::string asked;
    std::vector<std::string> ran;
  };
  const Case cases[] = {
      {"reads, discoveries and closes", "rdcr", {"read", "discover", "close", "read"}},
      {"the waiting apply takes the latest settings in its place", "rardb",
       {"read", "apply b", "read", "discover"}},
      {"an apply asked for while its twin runs adds nothing", "sdsr", {"apply same", "discover", "read"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      std::lock_guard lock(mouse->mutex);
      mouse->ran.clear();
    }
    news.taken.clear();
    for (size_t i = 0; i < c.asked.size(); ++i) {
      switch (c.asked[i]) {
        case 'r': worker.Read(Named(u"base")); break;
        case 'd': worker.Discover(); break;
        case 'c': worker.Close(); break;
        case 'a': worker.RequestApply(Named(u"a")); break;
        case 'b': worker.RequestApply(Named(u"b")); break;
        case 's': worker.RequestApply(Named(u"same")); break;
      }
      if (i == 0) mouse->AwaitJobAtGate();
    }
    mouse->Open(static_cast<int>(c.ran.size()));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (Ran().size() < c.ran.size() || worker.ApplyBusy()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the jobs never ran";
      std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(Ran(), c.ran);
    std::lock_guard lock(mouse->mutex);
    mouse->openings = 0;
  }
}

TEST_F(DeviceWorkerTest, ReadsAndDiscoveriesReportUnderTheirTickets) {
  const uint64_t read = worker.Read(Named(u"saved"));
  const uint64_t discovery = worker.Discover();
  EXPECT_NE(read, 0u);
  EXPECT_NE(read, discovery);
  mouse->Open(2);
  news.Await(worker, NewsKind::kDiscovered, 1);
  ASSERT_EQ(news.taken.size(), 2u);
  EXPECT_EQ(news.taken[0].kind, NewsKind::kRead);
  EXPECT_EQ(news.taken[0].ticket, read);
  // The profile given, with what the mouse holds written into it.
  EXPECT_EQ(news.taken[0].profile.name, u"saved");
  EXPECT_EQ(news.taken[0].profile.cpi[0].x, 1250);
  EXPECT_EQ(news.taken[1].kind, NewsKind::kDiscovered);
  EXPECT_EQ(news.taken[1].ticket, discovery);
}

// -- a worker outliving a bounded stop

TEST(DeviceWorkerStop, AJobOutlastingTheBoundFinishesOnItsOwnAndTellsNoOne) {
  auto mouse = std::make_shared<GatedMouse>();
  auto toldAfterStop = std::make_shared<std::atomic<bool>>(false);
  auto stopped = std::make_shared<std::atomic<bool>>(false);
  {
    DeviceWorker worker(std::make_unique<GatedConversation>(mouse), [stopped, toldAfterStop] {
      if (*stopped) *toldAfterStop = true;
    });
    worker.RequestApply(Named(u"slow"));
    mouse->AwaitJobAtGate();
    *stopped = true;
    EXPECT_FALSE(worker.Stop(20ms));
  }
  // The worker is gone; its thread still ends cleanly once the mouse answers.
  mouse->Open();
  std::unique_lock lock(mouse->mutex);
  ASSERT_TRUE(mouse->changed.wait_for(lock, 10s, [&] { return !mouse->written.empty(); }));
  EXPECT_EQ(mouse->written, std::vector<std::u16string>{u"slow"});
  lock.unlock();
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(*toldAfterStop) << "the worker told of news after it was stopped";
}

// -- the device session on the emulated mouse

// A line of the emulated mouse's exchange log begins with `call` and holds `field`.
bool LogHas(const EmulatorFolder& folder, const std::string& call, const std::string& field) {
  for (const std::string& line : folder.LogLines()) {
    if (line.rfind(call, 0) == 0 && line.find(field) != std::string::npos) return true;
  }
  return false;
}

TEST(DeviceWorkerSession, ReadsAppliesDiscoversAndClosesTheMouse) {
  EmulatorFolder folder;
  folder.Write(emulator::kNoPausesFile, "");
  DeviceWorker worker(MakeSessionConversation(emulator::MakeEmulatedPort(folder.path())), [] {});
  NewsTaker news;
  ProfileRecord changed = Named(u"mine");
  changed.cpi[0] = {2450, 2450};
  EXPECT_TRUE(worker.RequestApply(changed));
  worker.SaveEnded(true);
  const uint64_t read = worker.Read(Named(u"base"));
  const uint64_t discovery = worker.Discover();
  worker.Close();
  news.Await(worker, NewsKind::kDiscovered, 1);
  ASSERT_EQ(news.taken.size(), 3u);
  EXPECT_EQ(news.taken[0].kind, NewsKind::kAppliesFinished);
  EXPECT_EQ(news.taken[0].outcome.result, SessionResult::kDone);
  EXPECT_EQ(news.taken[1].ticket, read);
  EXPECT_EQ(news.taken[1].outcome.result, SessionResult::kDone);
  EXPECT_EQ(news.taken[1].profile.cpi[0].x, 2450);
  EXPECT_EQ(news.taken[1].profile.name, u"base");
  EXPECT_EQ(news.taken[2].ticket, discovery);
  EXPECT_EQ(news.taken[2].outcome.firmwareVersion, "V1.09");

  folder.Write(emulator::kUnpluggedFile, "");
  const uint64_t absent = worker.Read(Named(u"base"));
  news.Await(worker, NewsKind::kRead, 2);
  EXPECT_EQ(news.taken.back().ticket, absent);
  EXPECT_EQ(news.taken.back().outcome.result, SessionResult::kNoMouse);
  EXPECT_EQ(news.taken.back().profile.cpi, Named(u"base").cpi);
}

TEST(DeviceWorkerSession, AnApplyOutlivingItsWorkerUsesOnlyWhatTheWorkerOwns) {
  EmulatorFolder folder;
  std::filesystem::create_directories(folder.path());
  // The commit's pause holds the apply until the test lets it go.
  auto gate = std::make_shared<GatedMouse>();
  auto sleeper = [gate](uint32_t milliseconds) {
    if (milliseconds == kCommitPauseMs) gate->Pass("commit pause");
  };
  {
    DeviceWorker worker(MakeSessionConversation(emulator::MakeEmulatedPort(folder.path(), sleeper)), [] {});
    worker.RequestApply(Named(u"slow"));
    worker.SaveEnded(true);
    gate->AwaitJobAtGate();
    EXPECT_FALSE(worker.Stop(20ms));
  }
  // The window that asked is gone; the apply reads the commit's reply
  // through the link and port the worker owns.
  gate->Open();
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!LogHas(folder, "GET", "cmd=04")) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << folder.Read(emulator::kExchangeLog);
    std::this_thread::sleep_for(10ms);
  }
}

}  // namespace
}  // namespace korvid
