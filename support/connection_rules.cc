#include "support/connection_rules.h"

#include <cwchar>

#include "device/commands.h"

namespace korvid {
namespace {

bool ContainsAfterStart(const std::wstring& text, const wchar_t* part) {
  const size_t at = text.find(part);
  return at != std::wstring::npos && at > 0;
}

}  // namespace

std::wstring FirmwareVersionText(uint16_t versionNumber) {
  const float version = static_cast<float>(versionNumber / 100.0);
  wchar_t text[32];
  std::swprintf(text, 32, L"V%.2f", static_cast<double>(version));
  return text;
}

std::wstring NoFirmwareVersionText() {
  const std::string ascii = kNoFirmwareVersion;
  return std::wstring(ascii.begin(), ascii.end());
}

bool NamesTheMouse(const wchar_t* interfaceName) {
  if (!interfaceName) return false;
  const std::wstring name(interfaceName);
  const bool vendor = ContainsAfterStart(name, L"31C5") || ContainsAfterStart(name, L"31c5");
  return vendor && ContainsAfterStart(name, L"2716");
}

}  // namespace korvid
