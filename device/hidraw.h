#pragma once
#include <filesystem>
#include <memory>

#include "device/hid_port.h"

// The Linux HID backend: a port over /dev/hidraw* that finds the nodes and
// their collections through sysfs (hidraw_sysfs.h), and talks to a node
// through its ioctls (hidraw_transport.h).
namespace korvid::hidraw {

// A port over /dev/hidraw* with the given sysfs and /dev roots.
std::unique_ptr<HidPort> MakeHidrawPort(const std::filesystem::path& sysfsRoot = "/sys",
                                        const std::filesystem::path& devRoot = "/dev");

}  // namespace korvid::hidraw
