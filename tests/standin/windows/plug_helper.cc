// korvid-standin-plug: unplugs and plugs in the stand-in's mouse as Windows
// tells a program about it. Run under Wine with KORVID_HID_STANDIN naming the
// mouse folder:
//   korvid-standin-plug unplug   makes the mouse absent, then sends
//       WM_DEVICECHANGE / DBT_DEVICEREMOVECOMPLETE for each of its interfaces
//   korvid-standin-plug plug     makes it present, then DBT_DEVICEARRIVAL
// to every top-level window titled as the program's main window, each with a
// DEV_BROADCAST_DEVICEINTERFACE_W naming the interface path the stand-in
// hands out.
//   korvid-standin-plug hold MS  opens the mouse's configuration interface
//       read/write and shared with nobody, as another program that holds it,
//       prints "held" and keeps it MS milliseconds
// Exit status: 0 done, 2 bad arguments or no mouse folder, 3 the interface
// files could not be brought in line or the interface not held.
#include <windows.h>
#include <dbt.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "app/messages.h"
#include "tests/standin/windows/standin_files_win32.h"

namespace korvid::standin {
namespace {

constexpr UINT kSendTimeoutMs = 10000;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  wchar_t title[128] = {};
  ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
  if (std::wcscmp(title, kMainWindowTitle) == 0) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Sends one notification per mouse interface to each window; the number of
// notifications the windows took.
int Notify(const std::wstring& folder, WPARAM event) {
  std::vector<HWND> windows;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  int delivered = 0;
  for (const StandinInterface& entry : StandinInterfaces()) {
    if (!entry.emulated->isMouse) continue;
    const std::wstring path = InterfacePath(folder, entry);
    const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(wchar_t);
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    broadcast->dbcc_size = static_cast<DWORD>(size);
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast->dbcc_reserved = 0;
    broadcast->dbcc_classguid = kHidInterfaceGuid;
    std::memcpy(broadcast->dbcc_name, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    for (HWND window : windows) {
      DWORD_PTR result = 0;
      if (::SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(broadcast), SMTO_NORMAL,
                                kSendTimeoutMs, &result)) {
        ++delivered;
      } else {
        std::fprintf(stderr, "korvid-standin-plug: a window did not take the notification (error %lu)\n",
                     ::GetLastError());
      }
    }
  }
  return delivered;
}

int Hold(const std::wstring& folder, DWORD milliseconds) {
  if (!BringInterfacesInLine(folder)) return 3;
  for (const StandinInterface& entry : StandinInterfaces()) {
    if (!entry.emulated->isConfig) continue;
    HANDLE held = ::CreateFileW(InterfacePath(folder, entry).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "korvid-standin-plug: cannot hold the interface (error %lu)\n", ::GetLastError());
      return 3;
    }
    std::printf("held\n");
    std::fflush(stdout);
    ::Sleep(milliseconds);
    ::CloseHandle(held);
    return 0;
  }
  return 3;
}

int Run(int argc, wchar_t** argv) {
  const std::wstring action = argc >= 2 ? argv[1] : L"";
  const bool hold = action == L"hold" && argc == 3;
  if (!hold && (argc != 2 || (action != L"plug" && action != L"unplug"))) {
    std::fprintf(stderr,
                 "usage: korvid-standin-plug unplug|plug|hold MS (KORVID_HID_STANDIN names the mouse folder)\n");
    return 2;
  }
  const std::wstring folder = MouseFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "korvid-standin-plug: KORVID_HID_STANDIN is not set\n");
    return 2;
  }
  if (hold) return Hold(folder, static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  const bool unplug = action == L"unplug";
  if (!SetUnplugged(folder, unplug) || !BringInterfacesInLine(folder)) {
    std::fprintf(stderr, "korvid-standin-plug: the interface files could not be brought in line\n");
    return 3;
  }
  const int delivered = Notify(folder, unplug ? DBT_DEVICEREMOVECOMPLETE : DBT_DEVICEARRIVAL);
  std::printf("%d notifications delivered\n", delivered);
  return 0;
}

}  // namespace
}  // namespace korvid::standin

int wmain(int argc, wchar_t** argv) { return korvid::standin::Run(argc, argv); }
