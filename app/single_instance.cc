#include "app/single_instance.h"

namespace korvid {
namespace {

constexpr DWORD kPollMs = 50;
// A running copy answers the show request within this time unless it hangs.
constexpr UINT kShowAnswerMs = 2000;

// Asks the running copy's window to show itself; true when it answered (a
// window being destroyed, or none, does not). With no request to send, a
// window that is there is enough.
bool AskToShow(const wchar_t* windowTitle, UINT showRequest) {
  HWND running = FindWindowW(nullptr, windowTitle);
  if (!running) return false;
  if (showRequest == 0) return true;
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(running, showRequest, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kShowAnswerMs, &answer) !=
         0;
}

}  // namespace

InstanceClaim ClaimInstance(const wchar_t* mutexName, const wchar_t* windowTitle, UINT showRequest,
                            DWORD waitMs) {
  // A running copy with a window shows it; then the mutex decides who runs.
  if (AskToShow(windowTitle, showRequest)) {
    framework::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, mutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return {};
    return {true, std::move(mutex)};
  }
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  for (;;) {
    framework::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, mutexName));
    // A mutex that cannot be created at all does not stop the program.
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {true, std::move(mutex)};
    mutex.reset();
    if (GetTickCount64() >= deadline) return {};
    Sleep(kPollMs);
    if (AskToShow(windowTitle, showRequest)) return {};
  }
}

}  // namespace korvid
