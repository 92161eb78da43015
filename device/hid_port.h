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

// The usage pair of one top-level collection.
struct HidCaps {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  bool operator==(const HidCaps&) const = default;
};

// What an interface tells of itself before it is opened for reports.
struct HidInterfaceInfo {
  HidAttributes attributes;
  // Its top-level collections: one on Windows, which gives each collection
  // an interface of its own; every collection of a hidraw node, which
  // stands for a whole USB interface.
  std::vector<HidCaps> collections;
};

// One HID interface opened for feature reports. Failures leave LastError()
// with a Windows error code (the Linux backend maps errno onto the same
// codes, see device/error_codes.h).
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  HidDevice() = default;
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

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
  // The IDs and collections of one interface, read without opening it for
  // reports, so that interfaces the system keeps for itself (a mouse's
  // keyboard and pointer collections) still tell who they are. False when
  // they cannot be read.
  virtual bool Describe(const std::string& path, HidInterfaceInfo& info) = 0;
  // Opens one interface shared read-write for feature reports; nullptr when
  // it cannot be opened, with LastOpenError() saying why.
  virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
  // The Windows error code of the last Open that failed, when the backend
  // knows it (kErrorSharingViolation: another program holds the interface;
  // kErrorAccessDenied: the user may not open it); 0 otherwise.
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
