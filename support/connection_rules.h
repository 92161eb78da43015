#pragma once
#include <cstdint>
#include <string>

namespace korvid {

// The firmware version as the support page shows it: "V%.2f" of the version
// number over 100, taken through single precision (109 gives "V1.09").
std::wstring FirmwareVersionText(uint16_t versionNumber);
// The text shown in its place while no mouse is connected ("-.--").
std::wstring NoFirmwareVersionText();

// Whether a device interface name in a device-change notification belongs
// to the mouse: it holds the vendor ID ("31C5", or failing that "31c5") and
// the product ID "2716", neither at the very start of the name.
bool NamesTheMouse(const wchar_t* interfaceName);

}  // namespace korvid
