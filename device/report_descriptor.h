#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/hid_port.h"

// The top-level collections of a HID report descriptor, read from its raw
// bytes. Portable: the hidraw backend reads descriptors from sysfs or the
// node; the bytes may be anything, so every item is bounds-checked.
namespace korvid {

// Usage page and usage of the first top-level (application) collection of a
// HID report descriptor; nothing for a descriptor without one or a
// malformed one.
std::optional<HidCaps> TopLevelUsage(const uint8_t* descriptor, size_t size);
// Every top-level (application) collection, in order; those before a
// malformed item are kept.
std::vector<HidCaps> TopLevelUsages(const uint8_t* descriptor, size_t size);

}  // namespace korvid
