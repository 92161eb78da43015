#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "device/hid_port.h"

// The hidraw backend's calls on a device node: open, and the HID ioctls for
// feature reports and for what the node tells of itself. Failures come back
// as the Windows error codes the link judges (device/error_codes.h).
namespace korvid::hidraw {

// errno -> Windows error code (device/error_codes.h).
uint32_t ErrnoToWinError(int error);

// The node opened read-write for feature reports; nullptr with `error` set
// when it cannot be opened.
std::unique_ptr<HidDevice> OpenNode(const std::string& path, uint32_t& error);

// What the node itself tells through its ioctls, for a system without sysfs
// (a container, say): its IDs and top-level collections; the release number
// is then unknown (0). False with `error` set when the node cannot be opened
// or refuses an ioctl.
bool DescribeThroughNode(const std::string& path, HidInterfaceInfo& info, uint32_t& error);

}  // namespace korvid::hidraw
