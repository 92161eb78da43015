#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

struct HidAttributes {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;  // device release number (bcdDevice)
};

struct HidCaps {
  uint16_t usagePage = 0;  // of the top-level collection
  uint16_t usage = 0;
};

// One open HID interface. Failures leave LastError() with a Windows error
// code (the Linux backend maps errno onto the same codes, see
// device/error_codes.h).
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  HidDevice() = default;
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  virtual bool GetAttributes(HidAttributes& attributes) = 0;
  virtual bool GetCaps(HidCaps& caps) = 0;
  // One set-feature of `length` bytes; data[0] is the report ID.
  virtual bool SetFeature(uint8_t* data, size_t length) = 0;
  // One get-feature into `data` (data[0] holds the report ID on entry).
  // Returns the number of bytes received (at most `length`), or -1 on
  // failure. Never writes beyond data[length - 1].
  virtual int GetFeature(uint8_t* data, size_t length) = 0;
  virtual uint32_t LastError() const = 0;
};

// The platform's HID services: one backend file per platform (Win32,
// Linux hidraw) and the emulated mouse.
class HidPort {
 public:
  virtual ~HidPort() = default;
  HidPort() = default;
  HidPort(const HidPort&) = delete;
  HidPort& operator=(const HidPort&) = delete;

  // Paths of the HID interfaces present now, in enumeration order.
  virtual std::vector<std::string> EnumerateInterfaces() = 0;
  // Opens one interface shared read-write; nullptr when it cannot be opened.
  virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
  // The Windows error code of the last Open that failed, when the backend
  // knows it (kErrorSharingViolation: another program holds the interface);
  // 0 otherwise.
  virtual uint32_t LastOpenError() const { return 0; }
  // Blocks the calling thread; tests replace it to record the schedule.
  virtual void Sleep(uint32_t milliseconds) = 0;
  // The key of the system-wide lock of the mouse behind the interface at
  // `path` (device/mouse_lock.h); empty when nothing else can reach it.
  virtual std::string LockKey(const std::string& /*path*/) { return std::string(); }
};

// The backend this build was linked with (Win32 or hidraw).
std::unique_ptr<HidPort> MakePlatformHidPort();

}  // namespace korvid
