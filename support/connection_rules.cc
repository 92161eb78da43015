#include "support/connection_rules.h"

#include "device/commands.h"

namespace korvid {
namespace {

bool ContainsAfterStart(const std::wstring& text, const wchar_t* part) {
  const size_t at = text.find(part);
  return at != std::wstring::npos && at > 0;
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
  const bool vendor = ContainsAfterStart(name, L"31C5") || ContainsAfterStart(name, L"31c5");
  return vendor && ContainsAfterStart(name, L"2716");
}

}  // namespace korvid
