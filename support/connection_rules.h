#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace korvid {

// A firmware version text of the device session ("V1.09", "-.--") as the
// support page's label holds it.
std::wstring FirmwareLabelText(std::string_view versionText);
// The text shown in its place while no mouse is connected ("-.--").
std::wstring NoFirmwareVersionText();

// Whether a device interface name in a device-change notification belongs
// to the mouse: it holds the vendor ID ("31C5", or failing that "31c5") and
// the product ID "2716", neither at the very start of the name.
bool NamesTheMouse(const wchar_t* interfaceName);

}  // namespace korvid
