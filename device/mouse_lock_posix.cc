#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "device/mouse_lock.h"

namespace korvid {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// flock on an open descriptor of the key's node: the lock belongs to the
// open file, so it goes with the descriptor, also when the process dies.
class FlockMouseLock : public MouseLock {
 public:
  explicit FlockMouseLock(int fd) : fd_(fd) {}
  ~FlockMouseLock() override {
    flock(fd_, LOCK_UN);
    close(fd_);
  }

 private:
  int fd_;
};

bool TryLock(int fd, bool& busy, int& error) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    error = errno;
    busy = errno == EWOULDBLOCK;
    return false;
  }
}

}  // namespace

std::unique_ptr<MouseLock> AcquireMouseLock(const std::string& key, uint32_t waitMs, MouseLockResult& result,
                                            uint32_t* systemError) {
  result = MouseLockResult::kUnavailable;
  if (key.empty()) return nullptr;
  const auto fail = [&](int error) {
    result = MouseLockResult::kFailed;
    if (systemError) *systemError = static_cast<uint32_t>(error);
  };
  // Read-only and without following into a terminal: a device node or a
  // folder opens like this for anyone who may use it.
  const int fd = open(key.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    fail(errno);
    return nullptr;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    bool busy = false;
    int error = 0;
    if (TryLock(fd, busy, error)) {
      result = MouseLockResult::kHeld;
      return std::make_unique<FlockMouseLock>(fd);
    }
    if (!busy) {
      fail(error);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      result = MouseLockResult::kBusy;
      break;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  close(fd);
  return nullptr;
}

}  // namespace korvid
