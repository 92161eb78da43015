// The mouse lock between real processes, and a holder that dies holding it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/mouse_lock.h"
#include "tests/profile/test_folder.h"

namespace korvid {
namespace {

using namespace std::chrono_literals;

// A child process that takes the lock, tells the parent through a pipe and
// then holds it until it is killed or `holdMs` have passed.
pid_t HoldInChild(const std::string& key, int holdMs) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(ready[0]);
    MouseLockResult result = MouseLockResult::kUnavailable;
    auto lock = AcquireMouseLock(key, 5000, result);
    const char byte = result == MouseLockResult::kHeld ? 1 : 0;
    if (write(ready[1], &byte, 1) != 1) _exit(2);
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    _exit(0);
  }
  close(ready[1]);
  char byte = 0;
  const bool held = read(ready[0], &byte, 1) == 1 && byte == 1;
  close(ready[0]);
  return held ? child : -1;
}

TEST(MouseLockProcesses, AnotherProcessHoldingItMakesUsWaitThenBusy) {
  testing::TestFolder mouse;
  const pid_t holder = HoldInChild(mouse.path().string(), 1500);
  ASSERT_GT(holder, 0);
  MouseLockResult result = MouseLockResult::kUnavailable;
  EXPECT_EQ(AcquireMouseLock(mouse.path().string(), 100, result), nullptr);
  EXPECT_EQ(result, MouseLockResult::kBusy);
  // Waiting longer than the holder holds it: ours once it has finished.
  auto lock = AcquireMouseLock(mouse.path().string(), 10000, result);
  EXPECT_EQ(result, MouseLockResult::kHeld);
  int status = 0;
  waitpid(holder, &status, 0);
}

TEST(MouseLockProcesses, AHolderKilledWithSigkillLeavesTheLockFree) {
  testing::TestFolder mouse;
  const pid_t holder = HoldInChild(mouse.path().string(), 60000);
  ASSERT_GT(holder, 0);
  kill(holder, SIGKILL);
  int status = 0;
  waitpid(holder, &status, 0);
  MouseLockResult result = MouseLockResult::kUnavailable;
  auto lock = AcquireMouseLock(mouse.path().string(), 0, result);
  EXPECT_EQ(result, MouseLockResult::kHeld);
}

}  // namespace
}  // namespace korvid
