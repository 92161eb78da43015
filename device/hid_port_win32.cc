// The Windows HID backend: interfaces from the setup API, reports through
// HID.DLL.
#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <climits>
#include <cstddef>
#include <cwchar>
#include <vector>

#include "device/error_codes.h"
#include "device/hid_port.h"

namespace korvid {

namespace {

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class DeviceInfoList {
 public:
  explicit DeviceInfoList(HDEVINFO set) : set_(set) {}
  ~DeviceInfoList() {
    if (valid()) ::SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceInfoList(const DeviceInfoList&) = delete;
  DeviceInfoList& operator=(const DeviceInfoList&) = delete;
  bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

class PreparsedData {
 public:
  PreparsedData() = default;
  ~PreparsedData() {
    if (data_ != nullptr) ::HidD_FreePreparsedData(data_);
  }
  PreparsedData(const PreparsedData&) = delete;
  PreparsedData& operator=(const PreparsedData&) = delete;
  PHIDP_PREPARSED_DATA* out() { return &data_; }
  PHIDP_PREPARSED_DATA get() const { return data_; }

 private:
  PHIDP_PREPARSED_DATA data_ = nullptr;
};

std::string WideToUtf8(const wchar_t* text, size_t length) {
  if (length == 0 || length > INT_MAX) return {};
  const int wideLength = static_cast<int>(length);
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, wideLength, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int utf8Length = static_cast<int>(text.size());
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), utf8Length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), utf8Length, wide.data(), size);
  return wide;
}

// The device path of one enumerated interface; empty when the detail
// cannot be had.
std::string InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData) {
  DWORD required = 0;
  ::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
  const size_t pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
  if (required <= pathOffset) return {};
  // DWORD-aligned storage for the variable-size detail record.
  std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr, nullptr)) return {};
  const size_t maxChars = (required - pathOffset) / sizeof(WCHAR);
  return WideToUtf8(detail->DevicePath, ::wcsnlen(detail->DevicePath, maxChars));
}

class Win32HidDevice : public HidDevice {
 public:
  explicit Win32HidDevice(HANDLE handle) : handle_(handle) {}

  bool GetAttributes(HidAttributes& attributes) override {
    HIDD_ATTRIBUTES raw{};
    raw.Size = sizeof raw;
    if (!::HidD_GetAttributes(handle_.get(), &raw)) return Fail();
    attributes.vendorId = raw.VendorID;
    attributes.productId = raw.ProductID;
    attributes.versionNumber = raw.VersionNumber;
    return true;
  }

  bool GetCaps(HidCaps& caps) override {
    PreparsedData preparsed;
    if (!::HidD_GetPreparsedData(handle_.get(), preparsed.out())) return Fail();
    HIDP_CAPS raw{};
    if (::HidP_GetCaps(preparsed.get(), &raw) != HIDP_STATUS_SUCCESS) {
      lastError_ = kErrorInvalidData;
      return false;
    }
    caps.usagePage = raw.UsagePage;
    caps.usage = raw.Usage;
    return true;
  }

  bool SetFeature(uint8_t* data, size_t length) override {
    if (data == nullptr || length == 0 || length > INT_MAX) {
      lastError_ = kErrorInvalidParameter;
      return false;
    }
    if (!::HidD_SetFeature(handle_.get(), data, static_cast<ULONG>(length))) return Fail();
    return true;
  }

  int GetFeature(uint8_t* data, size_t length) override {
    if (data == nullptr || length == 0 || length > INT_MAX) {
      lastError_ = kErrorInvalidParameter;
      return -1;
    }
    if (!::HidD_GetFeature(handle_.get(), data, static_cast<ULONG>(length))) {
      Fail();
      return -1;
    }
    return static_cast<int>(length);
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  bool Fail() {
    lastError_ = ::GetLastError();
    return false;
  }

  UniqueHandle handle_;
  uint32_t lastError_ = kErrorSuccess;
};

class Win32HidPort : public HidPort {
 public:
  std::vector<std::string> EnumerateInterfaces() override {
    std::vector<std::string> paths;
    GUID hidGuid;
    ::HidD_GetHidGuid(&hidGuid);
    DeviceInfoList set(::SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid()) return paths;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA interfaceData{};
      interfaceData.cbSize = sizeof interfaceData;
      if (!::SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidGuid, index, &interfaceData)) break;
      std::string path = InterfacePath(set.get(), interfaceData);
      if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    const std::wstring widePath = Utf8ToWide(path);
    if (widePath.empty()) return nullptr;
    HANDLE handle = ::CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      lastOpenError_ = ::GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32HidDevice>(handle);
  }

  uint32_t LastOpenError() const override { return lastOpenError_; }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  std::string LockKey(const std::string& path) override { return path; }

 private:
  uint32_t lastOpenError_ = 0;
};

}  // namespace

std::unique_ptr<HidPort> MakePlatformHidPort() { return std::make_unique<Win32HidPort>(); }

}  // namespace korvid
