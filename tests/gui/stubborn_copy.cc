// A copy of the program that will not end: it holds the program's instance
// mutex for the seconds given (default 120) and has no window to ask.
#include <windows.h>

#include <cwchar>

#include "app/korvid_app.h"

int wmain(int argc, wchar_t** argv) {
  const long seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 120;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, korvid::kInstanceMutexName);
  if (!mutex) return 1;
  Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 0) * 1000);
  CloseHandle(mutex);
  return 0;
}
