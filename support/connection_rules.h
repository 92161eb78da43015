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
// to the mouse: it holds the model's vendor ID and product ID as four hex
// digits each (upper case, or failing that lower case), neither at the very
// start of the name.
bool NamesTheMouse(const wchar_t* interfaceName);

}  // namespace korvid
