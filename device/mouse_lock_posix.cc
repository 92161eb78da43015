#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "device/mouse_lock.h"
#include "device/unique_handle_posix.h"

namespace korvid {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// flock on an open descriptor of the key's node: the lock belongs to the
// open file, so it goes with the descriptor, also when the process dies.
class FlockMouseLock : public MouseLock {
 public:
  explicit FlockMouseLock(FileDescriptor fd) : fd_(std::move(fd)) {}
  ~FlockMouseLock() override { flock(fd_.get(), LOCK_UN); }

 private:
  FileDescriptor fd_;
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
  FileDescriptor fd(open(key.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) {
    fail(errno);
    return nullptr;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    bool busy = false;
    int error = 0;
    if (TryLock(fd.get(), busy, error)) {
      result = MouseLockResult::kHeld;
      return std::make_unique<FlockMouseLock>(std::move(fd));
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
  return nullptr;
}

}  // namespace korvid
