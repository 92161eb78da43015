#pragma once

namespace korvid {

// Windows virtual-key code <-> HID keyboard usage (usage page 7). Both take
// their argument as a 16-bit number and return unknown values unchanged.
int VirtualKeyToHidUsage(int key);
int HidUsageToVirtualKey(int usage);
// Whether the mouse can send the key: a virtual-key code (0-0xFFFF) with a
// keyboard-page usage. A key without one cannot be bound.
bool VirtualKeyHasHidUsage(int key);

}  // namespace korvid
