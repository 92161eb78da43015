// The stand-in setupapi.dll: the four setup calls the program makes to list
// the HID interfaces, handing out the paths of the mouse folder's interface
// files (standin_files_win32.h).
#define _SETUPAPI_
#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/standin/windows/standin_files_win32.h"

namespace korvid::standin {
namespace {

// One device information set: the interfaces present when it was made.
struct InterfaceSet {
  std::vector<std::wstring> paths;
};

struct Sets {
  std::mutex mutex;
  std::map<void*, std::unique_ptr<InterfaceSet>> live;
};

Sets& TheSets() {
  static Sets sets;
  return sets;
}

// The set behind `handle` while it lives; the set is never destroyed while
// a call uses it (the caller's contract, as with the system's).
InterfaceSet* Find(HDEVINFO handle) {
  Sets& sets = TheSets();
  std::lock_guard lock(sets.mutex);
  auto found = sets.live.find(handle);
  return found == sets.live.end() ? nullptr : found->second.get();
}

BOOL Fail(DWORD error) {
  ::SetLastError(error);
  return FALSE;
}

}  // namespace
}  // namespace korvid::standin

using namespace korvid::standin;

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR /*enumerator*/, HWND /*parent*/, DWORD flags) {
  auto set = std::make_unique<InterfaceSet>();
  const std::wstring folder = MouseFolder();
  const bool hid = classGuid != nullptr && std::memcmp(classGuid, &kHidInterfaceGuid, sizeof(GUID)) == 0;
  if (!folder.empty() && hid && (flags & DIGCF_DEVICEINTERFACE) != 0) {
    BringInterfacesInLine(folder);
    const bool plugged = !MouseUnplugged(folder);
    for (const StandinInterface& entry : StandinInterfaces()) {
      if (plugged || !entry.emulated->isMouse) set->paths.push_back(InterfacePath(folder, entry));
    }
  }
  Sets& sets = TheSets();
  std::lock_guard lock(sets.mutex);
  void* handle = set.get();
  sets.live[handle] = std::move(set);
  ::SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA /*device*/, const GUID* classGuid,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
  InterfaceSet* set = Find(handle);
  if (set == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (data == nullptr || classGuid == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (std::memcmp(classGuid, &kHidInterfaceGuid, sizeof(GUID)) != 0 || index >= set->paths.size()) {
    return Fail(ERROR_NO_MORE_ITEMS);
  }
  data->InterfaceClassGuid = kHidInterfaceGuid;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = index + 1;
  ::SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                             PDWORD requiredSize, PSP_DEVINFO_DATA device) {
  InterfaceSet* set = Find(handle);
  if (set == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
      data->Reserved > set->paths.size()) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::wstring& path = set->paths[data->Reserved - 1];
  const size_t needed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (path.size() + 1) * sizeof(WCHAR);
  if (requiredSize != nullptr) *requiredSize = static_cast<DWORD>(needed);
  if (device != nullptr) {
    if (device->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    device->ClassGuid = GUID{};
    device->DevInst = static_cast<DWORD>(data->Reserved);
  }
  if (detail == nullptr) return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  ::SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
  Sets& sets = TheSets();
  std::lock_guard lock(sets.mutex);
  if (sets.live.erase(handle) == 0) return Fail(ERROR_INVALID_HANDLE);
  ::SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // extern "C"
