#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_port.h"

// The hidraw backend's view of sysfs: which nodes there are and what each
// one is, read from files alone (no device node is opened), so that it can
// be tested on a fake tree.
namespace korvid::hidraw {

// "hidraw" followed by decimal digits only; anything else (a path, "..")
// is not a node name.
bool IsNodeName(const std::string& name);

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

}  // namespace korvid::hidraw
