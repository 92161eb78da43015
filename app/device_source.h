#pragma once
#include <memory>

#include "device/hid_port.h"
#include "framework/win32.h"

namespace korvid {

// Where the program's mouse comes from, chosen when the program is built:
// the Windows HID devices, or the emulated mouse of the test builds.
std::unique_ptr<HidPort> MakeProgramHidPort();

// Something that tells a window of mouse arrivals and removals beyond what
// the system reports (the emulated mouse's plug file). Stops when destroyed.
class DeviceChangeSource {
 public:
  virtual ~DeviceChangeSource() = default;
};
std::unique_ptr<DeviceChangeSource> StartDeviceChangeSource(HWND window);

}  // namespace korvid
