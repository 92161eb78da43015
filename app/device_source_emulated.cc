// The emulated mouse in place of the Windows HID devices: the folder named by
// KORVID_EMULATOR (or "emulated-mouse" beside the program) is the mouse, and
// its "unplugged" file is the plug. A
// watcher turns the file's coming and going into the device-change
// notifications that Windows sends for a real mouse, one per HID interface.
#include "framework/win32.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <dbt.h>
#include <mutex>
#include <thread>
#include <vector>

#include "app/device_source.h"
#include "framework/shell.h"
#include "emulator/emulated_mouse.h"
#include "profile/text.h"

namespace korvid {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);
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

class PlugFileWatcher : public DeviceChangeSource {
 public:
  PlugFileWatcher(HWND window, std::filesystem::path plugFile)
      : window_(window), plugFile_(std::move(plugFile)), unplugged_(Unplugged()),
        thread_([this] { Run(); }) {}

  ~PlugFileWatcher() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  bool Unplugged() const {
    std::error_code error;
    return std::filesystem::exists(plugFile_, error);
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, kPollInterval, [this] { return stop_; })) {
      const bool unplugged = Unplugged();
      if (unplugged == unplugged_) continue;
      unplugged_ = unplugged;
      lock.unlock();
      const WPARAM event = unplugged ? DBT_DEVICEREMOVECOMPLETE : DBT_DEVICEARRIVAL;
      for (const std::string& path : emulator::MouseInterfacePaths()) {
        SendInterfaceChange(window_, event, path);
      }
      lock.lock();
    }
  }

  HWND window_;
  std::filesystem::path plugFile_;
  bool unplugged_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
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
