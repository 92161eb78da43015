// The device session on the emulated mouse when more than one program uses
// it, and the outcomes that tell a program what happened.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "device/mouse_lock.h"
#include "device/session.h"
#include "emulator/emulated_mouse.h"
#include "profile/device_image.h"
#include "tests/emulator/emulator_folder.h"

namespace korvid::emulator {
namespace {

// One program's own connection to the mouse in the shared folder. Its
// pauses are short but real, so that two programs really overlap.
class Program {
 public:
  explicit Program(const EmulatorFolder& folder)
      : port_(MakeEmulatedPort(folder.path(), [](uint32_t ms) {
          std::this_thread::sleep_for(std::chrono::microseconds(ms * 50));
        })) {
    link_.port = port_.get();
  }
  LinkState& link() { return link_; }
  HidPort& port() { return *port_; }

 private:
  std::unique_ptr<HidPort> port_;
  LinkState link_;
};

// The commands of the successful SETs, as text: "03 07 03 08 04 ...".
std::string SentCommands(const EmulatorFolder& folder) {
  std::string sent;
  static const std::regex set(R"(^SET .* cmd=([0-9A-F]{2}) .*result=ok$)");
  for (const std::string& line : folder.LogLines()) {
    std::smatch match;
    if (std::regex_match(line, match, set)) sent += match[1].str() + " ";
  }
  return sent;
}

TEST(EmulatedSession, TwoReadChangeWritesAtOnceKeepBothChangesAndNeverInterleave) {
  EmulatorFolder folder;
  constexpr int kRounds = 15;
  // Each program raises the CPI of its own level, read-change-write.
  const auto raise = [&folder](size_t level) {
    Program program(folder);
    for (int round = 0; round < kRounds; ++round) {
      const SessionOutcome outcome = ChangeMouseBlock(program.link(), [level](ConfigBlock& block) {
        DeviceImage image = UnpackBlock(block);
        image.cpi[level].x = static_cast<uint16_t>(image.cpi[level].x + 50);
        block = PackBlock(image);
        return true;
      });
      EXPECT_EQ(outcome.result, SessionResult::kDone);
    }
  };
  const DeviceImage before = UnpackBlock(FactoryBlock());
  std::thread first(raise, 0), second(raise, 1);
  first.join();
  second.join();
  ConfigBlock stored{};
  const std::string bytes = folder.Read(kBlockFile);
  ASSERT_EQ(bytes.size(), stored.size());
  std::copy(bytes.begin(), bytes.end(), stored.begin());
  const DeviceImage after = UnpackBlock(stored);
  EXPECT_EQ(after.cpi[0].x, before.cpi[0].x + 50 * kRounds) << "a change of the first program was lost";
  EXPECT_EQ(after.cpi[1].x, before.cpi[1].x + 50 * kRounds) << "a change of the second program was lost";
  // Every transaction whole: status, read, status, write, commit.
  EXPECT_TRUE(std::regex_match(SentCommands(folder), std::regex("(03 07 03 08 04 )*"))) << SentCommands(folder);
}

TEST(EmulatedSession, ALoserThatWaitedPastItsBoundIsBusyAndSendsNothing) {
  EmulatorFolder folder;
  Program holder(folder), loser(folder);
  // Another program holds the mouse (its own thread: a Windows mutex lets
  // its owner thread in again).
  std::promise<void> letGo;
  std::promise<MouseLockResult> taken;
  std::thread other([&] {
    MouseLockResult held = MouseLockResult::kUnavailable;
    auto lock = AcquireMouseLock(holder.port().LockKey(""), 0, held);
    taken.set_value(held);
    letGo.get_future().wait();
  });
  ASSERT_EQ(taken.get_future().get(), MouseLockResult::kHeld);
  loser.link().lockWaitMs = 200;
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  EXPECT_EQ(ApplyMouseProfile(loser.link(), profile).result, SessionResult::kBusy);
  ConfigBlock block{};
  EXPECT_EQ(ReadMouseBlock(loser.link(), block).result, SessionResult::kBusy);
  EXPECT_EQ(SentCommands(folder), "");
  letGo.set_value();
  other.join();
  EXPECT_EQ(ApplyMouseProfile(loser.link(), profile).result, SessionResult::kDone);
}

TEST(EmulatedSession, OutcomesSayWhatHappened) {
  struct Case {
    const char* what;
    const char* faults;
    SessionResult result;
    SessionStep step;
    SessionDetail detail;
    bool blockWritten;
  } cases[] = {
      {"interface held by another program", "open-error 32 1\n", SessionResult::kNoMouse, SessionStep::kNone,
       SessionDetail::kInterfaceHeld, false},
      {"interface the user may not open", "open-error 5 1\n", SessionResult::kNoMouse, SessionStep::kNone,
       SessionDetail::kAccessDenied, false},
      {"interface refused for another reason", "open-error 1 1\n", SessionResult::kNoMouse, SessionStep::kNone,
       SessionDetail::kNone, false},
      {"mouse gone during the write", "send-error 1167 1 cmd=08\n", SessionResult::kFailed,
       SessionStep::kWriteBlock, SessionDetail::kMouseGone, false},
      {"commit refused", "send-error 31 4 cmd=04\n", SessionResult::kFailed, SessionStep::kCommit,
       SessionDetail::kRefused, false},
      {"write refused", "send-error 87 1 cmd=08\n", SessionResult::kFailed, SessionStep::kWriteBlock,
       SessionDetail::kRefused, false},
      {"commit's reply lost", "get-error 1627 4 cmd=04\n", SessionResult::kFailed, SessionStep::kCommit,
       SessionDetail::kCommitReplyLost, true},
      {"commit's reply refused", "get-error 31 1 cmd=04\n", SessionResult::kFailed, SessionStep::kCommit,
       SessionDetail::kCommitReplyLost, true},
  };
  for (const Case& c : cases) {
    EmulatorFolder folder;
    Program program(folder);
    const std::string factory = folder.Read(kBlockFile);
    folder.Write(kFaultsFile, c.faults);
    ProfileRecord profile;
    ResetToDefaultProfile(profile);
    profile.cpi[0] = {1000, 1000};
    const SessionOutcome outcome = ApplyMouseProfile(program.link(), profile);
    EXPECT_EQ(outcome.result, c.result) << c.what;
    EXPECT_EQ(outcome.failedStep, c.step) << c.what;
    EXPECT_EQ(outcome.detail, c.detail) << c.what;
    EXPECT_EQ(folder.Read(kBlockFile) != factory, c.blockWritten) << c.what;
  }
}

// Windows may answer a report with a general failure while the device goes:
// a mouse no longer listed has gone, whatever the code.
TEST(EmulatedSession, AFailureWhileTheMouseGoesSaysItWent) {
  EmulatorFolder folder;
  folder.Write(kFaultsFile, "send-error 31 1 cmd=08\n");
  std::unique_ptr<HidPort> port = MakeEmulatedPort(folder.path(), [&folder](uint32_t ms) {
    if (ms == kBlockPauseMs) folder.Write(kUnpluggedFile, "");
  });
  LinkState link;
  link.port = port.get();
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  const SessionOutcome outcome = ApplyMouseProfile(link, profile);
  EXPECT_EQ(outcome.result, SessionResult::kFailed);
  EXPECT_EQ(outcome.failedStep, SessionStep::kWriteBlock);
  EXPECT_EQ(outcome.error, kErrorGenFailure);
  EXPECT_EQ(outcome.detail, SessionDetail::kMouseGone);
}

TEST(EmulatedSession, AChangeThatDeclinesWritesNothing) {
  EmulatorFolder folder;
  Program program(folder);
  const SessionOutcome outcome = ChangeMouseBlock(program.link(), [](ConfigBlock&) { return false; });
  EXPECT_EQ(outcome.result, SessionResult::kDone);
  EXPECT_EQ(SentCommands(folder), "03 07 ");
}

}  // namespace
}  // namespace korvid::emulator
