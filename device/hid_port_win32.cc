// The Windows HID backend: interfaces from the setup API, reports through
// HID.DLL.
#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cwchar>
#include <utility>
#include <vector>

#include "device/error_codes.h"
#include "device/hid_port.h"
#include "device/unique_handle_win32.h"

namespace korvid {

namespace {

// The setup API's device information set, destroyed with
// SetupDiDestroyDeviceInfoList.
struct DeviceInfoListTraits {
  using Type = HDEVINFO;
  static HDEVINFO None() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HDEVINFO set) { return set != INVALID_HANDLE_VALUE; }
  static void Close(HDEVINFO set) { ::SetupDiDestroyDeviceInfoList(set); }
};
using DeviceInfoList = UniqueHandle<DeviceInfoListTraits>;

// A collection's preparsed data, freed with HidD_FreePreparsedData.
struct PreparsedDataTraits {
  using Type = PHIDP_PREPARSED_DATA;
  static PHIDP_PREPARSED_DATA None() { return nullptr; }
  static bool Valid(PHIDP_PREPARSED_DATA data) { return data != nullptr; }
  static void Close(PHIDP_PREPARSED_DATA data) { ::HidD_FreePreparsedData(data); }
};
using PreparsedData = UniqueHandle<PreparsedDataTraits>;

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

// The attributes and the top-level collection's capabilities behind a
// handle of any access, 0 included.
bool ReadAttributes(HANDLE handle, HidAttributes& attributes) {
  HIDD_ATTRIBUTES raw{};
  raw.Size = sizeof raw;
  if (!::HidD_GetAttributes(handle, &raw)) return false;
  attributes.vendorId = raw.VendorID;
  attributes.productId = raw.ProductID;
  attributes.versionNumber = raw.VersionNumber;
  return true;
}

bool ReadCaps(HANDLE handle, HIDP_CAPS& caps) {
  PreparsedData preparsed;
  if (!::HidD_GetPreparsedData(handle, preparsed.receive())) return false;
  if (::HidP_GetCaps(preparsed.get(), &caps) == HIDP_STATUS_SUCCESS) return true;
  ::SetLastError(ERROR_INVALID_DATA);
  return false;
}

// Feature reports through HID.DLL. The class driver takes a feature buffer
// only when it is at least as long as the longest feature report of the
// collection (HIDP_CAPS.FeatureReportByteLength), whatever the length of the
// report it carries: shorter requests are sent zero-padded to that length,
// and a reply is taken from the front of the longer buffer.
class Win32HidDevice : public HidDevice {
 public:
  Win32HidDevice(KernelHandle handle, size_t featureReportLength)
      : handle_(std::move(handle)), featureReportLength_(featureReportLength) {}

  bool SetFeature(uint8_t* data, size_t length) override {
    if (!ValidBuffer(data, length)) return false;
    return WithFullBuffer(data, length, [this](uint8_t* buffer, size_t size) {
      return ::HidD_SetFeature(handle_.get(), buffer, static_cast<ULONG>(size)) ? true : Fail();
    });
  }

  int GetFeature(uint8_t* data, size_t length) override {
    if (!ValidBuffer(data, length)) return -1;
    const bool ok = WithFullBuffer(data, length, [this](uint8_t* buffer, size_t size) {
      return ::HidD_GetFeature(handle_.get(), buffer, static_cast<ULONG>(size)) ? true : Fail();
    });
    return ok ? static_cast<int>(length) : -1;
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  bool Fail() {
    lastError_ = ::GetLastError();
    return false;
  }

  bool ValidBuffer(const uint8_t* data, size_t length) {
    if (data != nullptr && length > 0 && length <= INT_MAX && featureReportLength_ <= INT_MAX) return true;
    lastError_ = kErrorInvalidParameter;
    return false;
  }

  // Runs `call` on the request in a buffer of at least the collection's
  // feature report length; what it leaves in the front of that buffer is
  // the caller's.
  template <typename Call>
  bool WithFullBuffer(uint8_t* data, size_t length, Call call) {
    if (length >= featureReportLength_) return call(data, length);
    std::vector<uint8_t> full(featureReportLength_, 0);
    std::copy_n(data, length, full.begin());
    const bool ok = call(full.data(), full.size());
    std::copy_n(full.begin(), length, data);
    return ok;
  }

  KernelHandle handle_;
  size_t featureReportLength_;
  uint32_t lastError_ = kErrorSuccess;
};

class Win32HidPort : public HidPort {
 public:
  std::vector<std::string> EnumerateInterfaces() override {
    std::vector<std::string> paths;
    GUID hidGuid;
    ::HidD_GetHidGuid(&hidGuid);
    DeviceInfoList set(::SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return paths;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA interfaceData{};
      interfaceData.cbSize = sizeof interfaceData;
      if (!::SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidGuid, index, &interfaceData)) break;
      std::string path = InterfacePath(set.get(), interfaceData);
      if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
  }

  // With access 0 the system lets anyone ask a collection who it is, also
  // the keyboards and mice it keeps open for itself.
  bool Describe(const std::string& path, HidInterfaceInfo& info) override {
    KernelHandle handle(OpenPath(path, 0));
    if (!handle) return false;
    HIDP_CAPS caps{};
    if (!ReadAttributes(handle.get(), info.attributes) || !ReadCaps(handle.get(), caps)) {
      lastOpenError_ = ::GetLastError();
      return false;
    }
    info.collections = {HidCaps{caps.UsagePage, caps.Usage}};
    return true;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    KernelHandle handle(OpenPath(path, GENERIC_READ | GENERIC_WRITE));
    if (!handle) return nullptr;
    HIDP_CAPS caps{};
    // Without the capabilities the buffers stay as the caller made them.
    const size_t featureReportLength = ReadCaps(handle.get(), caps) ? caps.FeatureReportByteLength : 0;
    return std::make_unique<Win32HidDevice>(std::move(handle), featureReportLength);
  }

  uint32_t LastOpenError() const override { return lastOpenError_; }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  std::string LockKey(const std::string& path) override { return path; }

 private:
  // INVALID_HANDLE_VALUE with lastOpenError_ set when the path cannot be opened.
  HANDLE OpenPath(const std::string& path, DWORD access) {
    lastOpenError_ = 0;
    const std::wstring widePath = Utf8ToWide(path);
    if (widePath.empty()) {
      lastOpenError_ = ERROR_FILE_NOT_FOUND;
      return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = ::CreateFileW(widePath.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) lastOpenError_ = ::GetLastError();
    return handle;
  }

  uint32_t lastOpenError_ = 0;
};

}  // namespace

std::unique_ptr<HidPort> MakePlatformHidPort() { return std::make_unique<Win32HidPort>(); }

}  // namespace korvid
