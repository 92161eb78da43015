#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_port.h"

// Pieces of the Linux hidraw backend that do not touch a device node, kept
// apart so that they can be tested on a fake sysfs tree.
namespace korvid::hidraw {

// Usage page and usage of the first top-level (application) collection of a
// HID report descriptor; nothing for a descriptor without one or a
// malformed one.
std::optional<HidCaps> TopLevelUsage(const uint8_t* descriptor, size_t size);
// Every top-level (application) collection, in order; those before a
// malformed item are kept.
std::vector<HidCaps> TopLevelUsages(const uint8_t* descriptor, size_t size);

// Reads what sysfs tells of /dev/<name> (for example "hidraw3") below
// `sysfsRoot` (normally "/sys"): IDs from the HID device's uevent (HID_ID),
// the release number from the nearest ancestor's bcdDevice (0 when there is
// none), every top-level collection of its report_descriptor (none when it
// cannot be read).
struct SysfsInfo {
  HidAttributes attributes;
  std::vector<HidCaps> collections;
};
std::optional<SysfsInfo> ReadSysfsInfo(const std::filesystem::path& sysfsRoot, const std::string& name);

// hidraw node names present below sysfsRoot/class/hidraw, sorted by number.
std::vector<std::string> ListHidrawNodes(const std::filesystem::path& sysfsRoot);

// errno -> Windows error code (device/error_codes.h).
uint32_t ErrnoToWinError(int error);

// A port over /dev/hidraw* with the given sysfs and /dev roots.
std::unique_ptr<HidPort> MakeHidrawPort(const std::filesystem::path& sysfsRoot = "/sys",
                                        const std::filesystem::path& devRoot = "/dev");

}  // namespace korvid::hidraw
