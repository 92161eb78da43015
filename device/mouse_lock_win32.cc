#include <windows.h>

#include <cwctype>
#include <string>
#include <utility>

#include "device/mouse_lock.h"
#include "device/unique_handle_win32.h"

namespace korvid {
namespace {

// Mutex names are case-sensitive and may not hold a backslash; interface
// paths and folders are compared without case by the system, so the key is
// folded to lower case and its backslashes to slashes.
std::wstring MutexName(const std::string& key) {
  std::wstring name = L"Global\\Korvid mouse ";
  const int length = MultiByteToWideChar(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), wide.data(), length);
  for (wchar_t& c : wide) c = c == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(c));
  // The object name space takes up to 32767 characters; longer keys are cut.
  constexpr size_t kMaxKey = 30000;
  return name + wide.substr(0, kMaxKey);
}

class MutexMouseLock : public MouseLock {
 public:
  explicit MutexMouseLock(KernelHandle mutex) : mutex_(std::move(mutex)) {}
  ~MutexMouseLock() override { ReleaseMutex(mutex_.get()); }

 private:
  KernelHandle mutex_;
};

}  // namespace

std::unique_ptr<MouseLock> AcquireMouseLock(const std::string& key, uint32_t waitMs, MouseLockResult& result,
                                            uint32_t* systemError) {
  result = MouseLockResult::kUnavailable;
  if (key.empty()) return nullptr;
  const auto fail = [&] {
    result = MouseLockResult::kFailed;
    if (systemError) *systemError = GetLastError();
  };
  KernelHandle mutex(CreateMutexW(nullptr, FALSE, MutexName(key).c_str()));
  if (!mutex) {
    fail();
    return nullptr;
  }
  switch (WaitForSingleObject(mutex.get(), waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder died: what it was doing is over
      result = MouseLockResult::kHeld;
      return std::make_unique<MutexMouseLock>(std::move(mutex));
    case WAIT_TIMEOUT:
      result = MouseLockResult::kBusy;
      break;
    default:
      fail();
      break;
  }
  return nullptr;
}

}  // namespace korvid
