// The device session when the mouse's lock cannot be made: a node that
// cannot be opened for its flock stands for any refusal of the system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/mouse_lock.h"
#include "device/session.h"
#include "tests/device/fake_hid.h"
#include "tests/profile/test_folder.h"

namespace korvid {
namespace {

using namespace testing;  // the fake HID port

class SessionLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port.interfaces = {MouseConfigInterface()};
    port.lockKey = (folder.path() / "no such node").string();
    link.port = &port;
  }

  TestFolder folder;
  FakePort port;
  LinkState link;
};

TEST(MouseLockFailure, ALockTheSystemWillNotMakeIsAFailureWithItsReason) {
  TestFolder folder;
  MouseLockResult result = MouseLockResult::kHeld;
  uint32_t error = 0;
  EXPECT_EQ(AcquireMouseLock((folder.path() / "no such node").string(), 0, result, &error), nullptr);
  EXPECT_EQ(result, MouseLockResult::kFailed);
  EXPECT_EQ(error, static_cast<uint32_t>(ENOENT));
}

// Another program could use the mouse meanwhile: the operation stops before
// it sends anything, and says why.
TEST_F(SessionLockTest, AnOperationStopsWhenTheLockCannotBeMade) {
  ConfigBlock block{};
  const SessionOutcome outcome = ReadMouseBlock(link, block);
  EXPECT_EQ(outcome.result, SessionResult::kFailed);
  EXPECT_EQ(outcome.detail, SessionDetail::kLockFailed);
  EXPECT_EQ(outcome.error, static_cast<uint32_t>(ENOENT));
  EXPECT_TRUE(port.sentReports.empty());
}

TEST_F(SessionLockTest, AskedToGoOnWithoutTheLockItDoes) {
  link.requireLock = false;
  port.setScript = {Succeed(), Succeed()};
  FakeResult block = ReplyWithStatus(kStatusReady, kLongReportLength);
  port.getScript = {ReplyWithStatus(kStatusReady), block};
  ConfigBlock read{};
  EXPECT_EQ(ReadMouseBlock(link, read).result, SessionResult::kDone);
}

}  // namespace
}  // namespace korvid
