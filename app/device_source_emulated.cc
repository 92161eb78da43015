// The emulated mouse in place of the Windows HID devices: the folder named by
// KORVID_EMULATOR (or "emulated-mouse" beside the program) is the mouse, and
// its "unplugged" file is the plug. A watcher turns the file's coming and
// going into the device-change notifications that Windows sends for a real
// mouse, one per HID interface.
#include "framework/win32.h"

#include <dbt.h>
#include <thread>
#include <vector>

#include "app/device_source.h"
#include "framework/handles.h"
#include "framework/shell.h"
#include "emulator/emulated_mouse.h"
#include "profile/text.h"

namespace korvid {
namespace {

constexpr DWORD kPollIntervalMs = 100;
constexpr UINT kSendTimeoutMs = 5000;

void SendInterfaceChange(HWND window, WPARAM event, const std::string& path) {
  const std::u16string name = FromUtf8(path);
  std::vector<BYTE> record(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + name.size() * sizeof(wchar_t));
  auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
  broadcast->dbcc_size = static_cast<DWORD>(record.size());
  broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  std::copy(name.begin(), name.end(), reinterpret_cast<char16_t*>(broadcast->dbcc_name));
  broadcast->dbcc_name[name.size()] = L'\0';
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(broadcast), SMTO_NORMAL,
                      kSendTimeoutMs, &result);
}

// A folder's change notification, closed the way it must be.
class ChangeNotification {
 public:
  ChangeNotification() = default;
  ChangeNotification(const ChangeNotification&) = delete;
  ChangeNotification& operator=(const ChangeNotification&) = delete;
  ~ChangeNotification() { reset(); }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  void Watch(const std::filesystem::path& folder) {
    reset();
    handle_ = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  }
  void reset() {
    if (*this) FindCloseChangeNotification(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class PlugFileWatcher : public DeviceChangeSource {
 public:
  PlugFileWatcher(HWND window, std::filesystem::path plugFile)
      : window_(window), plugFile_(std::move(plugFile)), unplugged_(Unplugged()),
        stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this] { Run(); }) {}

  ~PlugFileWatcher() override {
    SetEvent(stop_.get());
    thread_.join();
  }

 private:
  bool Unplugged() const {
    std::error_code error;
    return std::filesystem::exists(plugFile_, error);
  }

  // Sleeps until the mouse's folder changes, so that nothing runs while
  // the plug stays as it is; polls only while the folder cannot be watched
  // (it may not exist yet).
  void Run() {
    ChangeNotification change;
    for (;;) {
      if (!change) change.Watch(plugFile_.parent_path());
      if (change) {
        const HANDLE waits[] = {stop_.get(), change.get()};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) return;
        if (woke != WAIT_OBJECT_0 + 1 || !FindNextChangeNotification(change.get())) change.reset();
      } else if (WaitForSingleObject(stop_.get(), kPollIntervalMs) != WAIT_TIMEOUT) {
        return;
      }
      const bool unplugged = Unplugged();
      if (unplugged == unplugged_) continue;
      unplugged_ = unplugged;
      const WPARAM event = unplugged ? DBT_DEVICEREMOVECOMPLETE : DBT_DEVICEARRIVAL;
      for (const std::string& path : emulator::MouseInterfacePaths()) {
        SendInterfaceChange(window_, event, path);
      }
    }
  }

  HWND window_;
  std::filesystem::path plugFile_;
  bool unplugged_;
  framework::UniqueHandle stop_;
  std::thread thread_;
};

std::filesystem::path MouseFolder() {
  std::filesystem::path folder = emulator::FolderFromEnvironment();
  if (folder.empty()) folder = std::filesystem::path(GetModuleFolder()) / "emulated-mouse";
  return folder;
}

}  // namespace

std::unique_ptr<HidPort> MakeProgramHidPort() { return emulator::MakeEmulatedPort(MouseFolder()); }

std::unique_ptr<DeviceChangeSource> StartDeviceChangeSource(HWND window) {
  return std::make_unique<PlugFileWatcher>(window, MouseFolder() / emulator::kUnpluggedFile);
}

}  // namespace korvid
