#pragma once
#include <cstdint>
#include <memory>
#include <string>

// The lock that keeps two programs (the configuration program, korvidctl,
// two of either) from talking to one mouse at the same time. It is
// system-wide and named after the mouse: on Windows a named mutex keyed by
// the interface path or the emulator folder (mouse_lock_win32.cc), on Linux
// flock on the device node or the emulator folder (mouse_lock_posix.cc).
// A process that dies while holding it releases it.
namespace korvid {

enum class MouseLockResult : uint8_t {
  kHeld,         // the lock is held until the MouseLock is destroyed
  kBusy,         // another holder kept it for the whole wait
  kUnavailable,  // there is no lock to take: no key names one
  kFailed,       // the lock could not be made (the system refused it)
};

// Held while it lives; released by its destructor. Not copyable, not
// movable: it stays with the thread that took it (a Windows mutex must be
// released by its owner).
class MouseLock {
 public:
  virtual ~MouseLock() = default;
  MouseLock() = default;
  MouseLock(const MouseLock&) = delete;
  MouseLock& operator=(const MouseLock&) = delete;
};

// Waits up to `waitMs` for the lock named by `key`: a file system path on
// Linux, any text on Windows. An empty key names no lock (kUnavailable).
// The lock is returned with kHeld, nullptr otherwise; with kFailed,
// `systemError` (when given) receives the system's error code (errno on
// Linux, GetLastError on Windows).
std::unique_ptr<MouseLock> AcquireMouseLock(const std::string& key, uint32_t waitMs, MouseLockResult& result,
                                            uint32_t* systemError = nullptr);

}  // namespace korvid
