#include "sensor/sensor_rules.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

#include "profile/device_model.h"
#include "profile/profile_record.h"
#include "widgets/control_values.h"

namespace korvid {
namespace {

constexpr std::array<uint32_t, kPaletteSize + 1> kPalette = {
    0x000000,                                  // no choice
    0x0000FF, 0x00FF00, 0xFF0000, 0x00EBFF,    // A1 to A4
    0x15C4FD, 0x847553, 0x96F7FD, 0x44FFFC,    // A5 to A8
    0x0096FF, 0xFF009B, 0xFFFF00, 0xFFFFFF,    // B1 to B4
    0x99178F, 0x6B6BC9, 0x47C600, 0xFFFFFF,    // B5 to B8
};

int Clamp(long long value, int low, int high) {
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int CpiFromText(std::wstring_view text) { return LeadingInteger(text); }

std::wstring CpiText(int value) { return std::to_wstring(value); }

int RoundCpi(int value) {
  const DeviceModel& model = KorvidModel();
  long long q = value / model.cpiStep;
  if (value % model.cpiStep >= (model.cpiStep + 1) / 2) ++q;
  return Clamp(q * model.cpiStep, model.cpiMin, model.cpiMax);
}

int StepCpi(int value, int direction) {
  const DeviceModel& model = KorvidModel();
  const long long stepped = static_cast<long long>(value) + (direction > 0 ? model.cpiStep : -model.cpiStep);
  return Clamp(stepped, model.cpiMin, model.cpiMax);
}

std::optional<CpiCorrection> CorrectCpiField(int value, bool hasFocus) {
  const DeviceModel& model = KorvidModel();
  int corrected;
  if (value > model.cpiMax) {
    corrected = model.cpiMax;
  } else if (value < model.cpiMin && !hasFocus) {
    corrected = model.cpiMin;
  } else {
    return std::nullopt;
  }
  return CpiCorrection{corrected, static_cast<int>(CpiText(corrected).size())};
}

bool LevelSwitchAfterClick(const std::array<bool, kCpiLevels>& inUse, int level) {
  if (level < 0 || level >= kCpiLevels) return false;
  const auto count = std::count(inUse.begin(), inUse.end(), true);
  return !(inUse[level] && count > 1);
}

std::optional<bool> LevelSwitchFromRecord(uint32_t cpiLevelDisabled) {
  if (cpiLevelDisabled == kCpiLevelInUse) return true;
  if (cpiLevelDisabled == kCpiLevelOff) return false;
  return std::nullopt;
}

uint32_t LevelRecordValue(bool inUse) { return inUse ? kCpiLevelInUse : kCpiLevelOff; }

bool AnyLevelInUse(const std::array<uint32_t, kCpiLevels>& cpiLevelDisabled) {
  return std::any_of(cpiLevelDisabled.begin(), cpiLevelDisabled.end(),
                     [](uint32_t value) { return value == kCpiLevelInUse; });
}

void ApplySensorRules(ProfileRecord& profile) {
  for (CpiValue& cpi : profile.cpi) {
    const auto rounded = static_cast<uint16_t>(RoundCpi(cpi.x));
    cpi = {rounded, rounded};
  }
  for (uint32_t& level : profile.cpiLevelDisabled) level = LevelRecordValue(LevelSwitchFromRecord(level).value_or(true));
  if (!AnyLevelInUse(profile.cpiLevelDisabled)) profile.cpiLevelDisabled[0] = LevelRecordValue(true);
  profile.smoothing = profile.smoothing != 0 ? 1 : 0;
  if (profile.liftOffDistance != kLiftOff2mm && profile.liftOffDistance != kLiftOff3mm)
    profile.liftOffDistance = kLiftOff2mm;
}

uint32_t ColourToArgb(uint32_t colorref) {
  const uint32_t red = colorref & 0xFF, green = (colorref >> 8) & 0xFF, blue = (colorref >> 16) & 0xFF;
  return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

std::string ColourText(uint32_t colorref) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colorref & 0xFF, (colorref >> 8) & 0xFF,
                (colorref >> 16) & 0xFF);
  return text;
}

std::optional<uint32_t> ColourFromText(std::string_view text) {
  if (!text.empty() && text[0] == '#') text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  uint32_t rgb = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    rgb = rgb * 16 + static_cast<uint32_t>(digit);
  }
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

CustomColour CustomColourFromText(std::wstring_view text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return {};
  std::string narrow;
  for (wchar_t c : text) {
    if (c <= 0 || c > 0x7F) return {CustomColour::Kind::kInvalid};
    narrow.push_back(static_cast<char>(c));
  }
  const std::optional<uint32_t> colour = ColourFromText(narrow);
  if (!colour) return {CustomColour::Kind::kInvalid};
  return {CustomColour::Kind::kColour, *colour};
}

std::wstring CustomColourText(uint32_t colorref) {
  const std::string text = ColourText(colorref);
  return std::wstring(text.begin(), text.end());
}

uint32_t PaletteColour(int index) {
  return index >= 0 && index <= kPaletteSize ? kPalette[static_cast<size_t>(index)] : kPalette[0];
}

int PaletteSelectionAfterClick(int selection, int clicked) { return selection == clicked ? 0 : clicked; }

}  // namespace korvid
