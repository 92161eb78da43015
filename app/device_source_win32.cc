#include "app/device_source.h"

namespace korvid {

std::unique_ptr<HidPort> MakeProgramHidPort() { return MakePlatformHidPort(); }

// The system reports real devices itself.
std::unique_ptr<DeviceChangeSource> StartDeviceChangeSource(HWND) { return nullptr; }

}  // namespace korvid
