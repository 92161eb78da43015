// The system-wide lock per mouse, as two programs meet it. Two threads stand
// for the two programs: on Linux each takes the lock through its own open
// file, on Windows through its own wait on the named mutex, so they exclude
// each other as two processes do.
#include "device/mouse_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "tests/profile/test_folder.h"

namespace korvid {
namespace {

using namespace std::chrono_literals;

class MouseLockTest : public ::testing::Test {
 protected:
  std::unique_ptr<MouseLock> Take(uint32_t waitMs, MouseLockResult& result) {
    return AcquireMouseLock(Key(), waitMs, result);
  }
  // The key of the emulated mouse kept in the folder: the folder itself.
  std::string Key() const { return folder_.path().string(); }

  testing::TestFolder folder_;
};

// Taken in another thread, as another program would.
MouseLockResult TakeElsewhere(const std::string& key, uint32_t waitMs) {
  return std::async(std::launch::async, [&key, waitMs] {
           MouseLockResult result = MouseLockResult::kUnavailable;
           auto lock = AcquireMouseLock(key, waitMs, result);
           return result;
         }).get();
}

TEST_F(MouseLockTest, SecondHolderWaitsItsBoundThenIsBusyAndGetsItOnceFree) {
  MouseLockResult result = MouseLockResult::kUnavailable;
  auto held = Take(0, result);
  ASSERT_EQ(result, MouseLockResult::kHeld);
  ASSERT_TRUE(held);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TakeElsewhere(Key(), 200), MouseLockResult::kBusy);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms) << "the loser did not wait";
  held.reset();
  EXPECT_EQ(TakeElsewhere(Key(), 0), MouseLockResult::kHeld);
}

TEST_F(MouseLockTest, AWaiterGetsTheLockWhenTheHolderLetsGo) {
  MouseLockResult result = MouseLockResult::kUnavailable;
  auto held = Take(0, result);
  ASSERT_EQ(result, MouseLockResult::kHeld);
  std::atomic<bool> released{false};
  auto waiter = std::async(std::launch::async, [&] {
    MouseLockResult waited = MouseLockResult::kUnavailable;
    auto lock = AcquireMouseLock(Key(), 10000, waited);
    // Only after the holder let go.
    return waited == MouseLockResult::kHeld && released.load();
  });
  std::this_thread::sleep_for(300ms);
  released = true;
  held.reset();
  EXPECT_TRUE(waiter.get());
}

TEST_F(MouseLockTest, EachMouseHasItsOwnLock) {
  testing::TestFolder otherMouse;
  MouseLockResult result = MouseLockResult::kUnavailable;
  auto held = Take(0, result);
  ASSERT_EQ(result, MouseLockResult::kHeld);
  EXPECT_EQ(TakeElsewhere(otherMouse.path().string(), 0), MouseLockResult::kHeld);
}

TEST(MouseLock, AnEmptyKeyNamesNoLock) {
  MouseLockResult result = MouseLockResult::kHeld;
  EXPECT_EQ(AcquireMouseLock("", 0, result), nullptr);
  EXPECT_EQ(result, MouseLockResult::kUnavailable);
}

}  // namespace
}  // namespace korvid
