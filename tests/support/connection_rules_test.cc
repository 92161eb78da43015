#include "support/connection_rules.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "device/commands.h"

namespace korvid {
namespace {

struct NameCase {
  const wchar_t* name;
  bool mouse;
};

constexpr NameCase kNameCases[] = {
    {L"\\\\?\\HID#VID_31C5&PID_2716&MI_01&Col02#7&1a2b3c&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}", true},
    {L"\\\\?\\hid#vid_31c5&pid_2716&mi_01&col02#7&1a2b3c&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}", true},
    {L"\\\\?\\HID#VID_31c5&PID_2716", true},
    {L"x31C52716", true},
    // Vendor or product missing, or another device.
    {L"\\\\?\\HID#VID_31C5&PID_2717&MI_01", false},
    {L"\\\\?\\HID#VID_046D&PID_2716&MI_01", false},
    {L"\\\\?\\HID#VID_046D&PID_C077", false},
    {L"\\\\?\\HID#VID_31C&PID_2716", false},
    // At the very start a part does not count; the lowercase vendor is the
    // fallback only when the uppercase one fails.
    {L"31C5&PID_2716", false},
    {L"2716#VID_31C5", false},
    {L"31C5#VID_31c5&PID_2716", true},
    {L"31c5#VID_31C5&PID_2716", true},
    {L"31C5#VID_31C5&PID_2716", false},
    {L"", false},
    {nullptr, false},
};

TEST(NamesTheMouse, MatchesVendorAndProductAfterTheStart) {
  for (const NameCase& c : kNameCases) {
    EXPECT_EQ(NamesTheMouse(c.name), c.mouse) << (c.name ? std::string(c.name, c.name + wcslen(c.name)) : "null");
  }
}

struct VersionCase {
  uint16_t number;
  const wchar_t* text;
};

constexpr VersionCase kVersionCases[] = {
    {109, L"V1.09"}, {256, L"V2.56"}, {102, L"V1.02"}, {0, L"V0.00"},
    {100, L"V1.00"}, {1, L"V0.01"},   {65535, L"V655.35"},
};

TEST(FirmwareLabelText, ShowsHundredthsWithTwoDecimals) {
  for (const VersionCase& c : kVersionCases)
    EXPECT_EQ(FirmwareLabelText(FormatFirmwareVersion(c.number)), c.text) << c.number;
  EXPECT_EQ(NoFirmwareVersionText(), L"-.--");
}

}  // namespace
}  // namespace korvid
