#include "support/connection_rules.h"

#include "device/commands.h"
#include "profile/device_model.h"

namespace korvid {
namespace {

bool ContainsAfterStart(const std::wstring& text, const std::wstring& part) {
  const size_t at = text.find(part);
  return at != std::wstring::npos && at > 0;
}

// The ID's hex digits after the start of the name: in upper case, or failing
// that in lower case.
bool HoldsIdAfterStart(const std::wstring& name, uint16_t id) {
  for (HexCase letters : {HexCase::kUpper, HexCase::kLower}) {
    const std::string digits = UsbIdText(id, letters);
    if (ContainsAfterStart(name, std::wstring(digits.begin(), digits.end()))) return true;
  }
  return false;
}

}  // namespace

// The texts are plain ASCII.
std::wstring FirmwareLabelText(std::string_view versionText) {
  return std::wstring(versionText.begin(), versionText.end());
}

std::wstring NoFirmwareVersionText() { return FirmwareLabelText(kNoFirmwareVersion); }

bool NamesTheMouse(const wchar_t* interfaceName) {
  if (!interfaceName) return false;
  const std::wstring name(interfaceName);
  const DeviceModel& model = KorvidModel();
  return HoldsIdAfterStart(name, model.vendorId) && HoldsIdAfterStart(name, model.productId);
}

}  // namespace korvid
