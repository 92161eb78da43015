#pragma once

namespace korvid {

// Windows virtual-key code <-> HID keyboard usage (usage page 7). Both take
// their argument as a 16-bit number and return unknown values unchanged.
int VirtualKeyToHidUsage(int key);
int HidUsageToVirtualKey(int usage);

}  // namespace korvid
