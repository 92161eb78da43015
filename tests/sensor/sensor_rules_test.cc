#include "sensor/sensor_rules.h"

#include <gtest/gtest.h>

#include <climits>

#include "profile/profile_record.h"

namespace korvid {
namespace {

TEST(CpiFromText, ReadsTheLeadingNumberAndSaturatesWhatAnIntCannotHold) {
  const struct {
    const wchar_t* text;
    int value;
  } cases[] = {
      {L"1600", 1600},        {L"", 0},           {L"abc", 0},         {L"  42x", 42},
      {L"-30", -30},          {L"+75", 75},       {L"16050", 16050},   {L"0000800", 800},
      {L"2147483647", INT_MAX}, {L"2147483648", INT_MAX}, {L"99999999999999999999999", INT_MAX},
      {L"-2147483648", INT_MIN}, {L"-99999999999999999999", INT_MIN}, {L"12 34", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(CpiFromText(c.text), c.value) << c.text;
}

TEST(RoundCpi, NearestStepHalvesUpWithinTheLimits) {
  const struct {
    int in, out;
  } cases[] = {
      {1224, 1200}, {1225, 1250}, {1249, 1250}, {1200, 1200}, {16030, 16000}, {70000, 16000},
      {0, 50},      {24, 50},     {74, 50},     {75, 100},    {-500, 50},     {INT_MAX, 16000},
      {INT_MIN, 50}, {15975, 16000}, {15974, 15950},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundCpi(c.in), c.out) << c.in;
}

TEST(StepCpi, OneStepUpOrDownClampedButNotRounded) {
  const struct {
    int in, direction, out;
  } cases[] = {
      {1234, +1, 1284}, {1234, -1, 1184}, {50, -1, 50},       {30, -1, 50},     {15990, +1, 16000},
      {16000, +1, 16000}, {0, +1, 50},    {0, -1, 50},        {INT_MAX, +1, 16000}, {INT_MIN, -1, 50},
      {20000, -1, 16000},
  };
  for (const auto& c : cases) EXPECT_EQ(StepCpi(c.in, c.direction), c.out) << c.in << " " << c.direction;
}

TEST(CorrectCpiField, TooLargeAtOnceTooSmallOnlyWithoutTheFocus) {
  const struct {
    int value;
    bool focus;
    bool corrected;
    int to, caret;
  } cases[] = {
      {16050, true, true, 16000, 5}, {16050, false, true, 16000, 5}, {INT_MAX, true, true, 16000, 5},
      {20, true, false, 0, 0},       {20, false, true, 50, 2},       {0, false, true, 50, 2},
      {-5, false, true, 50, 2},      {50, false, false, 0, 0},       {16000, true, false, 0, 0},
      {1234, false, false, 0, 0},
  };
  for (const auto& c : cases) {
    std::optional<CpiCorrection> correction = CorrectCpiField(c.value, c.focus);
    ASSERT_EQ(correction.has_value(), c.corrected) << c.value << " focus " << c.focus;
    if (correction) {
      EXPECT_EQ(correction->value, c.to);
      EXPECT_EQ(correction->caret, c.caret);
    }
  }
}

TEST(LevelSwitch, TheLastLevelInUseStaysOn) {
  using Levels = std::array<bool, kCpiLevels>;
  const struct {
    Levels inUse;
    int level;
    bool after;
  } cases[] = {
      {{false, false, true, false}, 2, true},   // the only one stays on
      {{true, false, true, false}, 0, false},   // one of two goes off
      {{true, false, true, false}, 1, true},    // an unused one comes on
      {{true, true, true, true}, 3, false},
      {{false, false, false, false}, 1, true},  // nothing in use: the click switches it on
  };
  for (const auto& c : cases) EXPECT_EQ(LevelSwitchAfterClick(c.inUse, c.level), c.after) << c.level;
}

TEST(LevelSwitch, RecordValuesMapBothWaysAndOthersLeaveTheSwitch) {
  EXPECT_EQ(LevelSwitchFromRecord(0), std::optional<bool>(true));
  EXPECT_EQ(LevelSwitchFromRecord(255), std::optional<bool>(false));
  EXPECT_EQ(LevelSwitchFromRecord(7), std::nullopt);
  EXPECT_EQ(LevelSwitchFromRecord(0x100), std::nullopt);
  EXPECT_EQ(LevelRecordValue(true), 0u);
  EXPECT_EQ(LevelRecordValue(false), 255u);
  EXPECT_TRUE(AnyLevelInUse({255, 255, 0, 255}));
  EXPECT_FALSE(AnyLevelInUse({255, 7, 255, 255}));
}

TEST(Colours, ConversionsBetweenRecordArgbAndText) {
  const struct {
    uint32_t colorref;
    uint32_t argb;
    const char* text;
  } cases[] = {
      {0x15C4FD, 0xFFFDC415, "#FDC415"}, {0x000000, 0xFF000000, "#000000"},
      {0xFFFFFF, 0xFFFFFFFF, "#FFFFFF"}, {0x0000FF, 0xFFFF0000, "#FF0000"},
      {0xFF0000, 0xFF0000FF, "#0000FF"}, {0x12345678, 0xFF785634, "#785634"},  // the top byte is not a colour
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColourToArgb(c.colorref), c.argb) << std::hex << c.colorref;
    EXPECT_EQ(ColourText(c.colorref), c.text);
    EXPECT_EQ(ColourFromText(c.text), std::optional<uint32_t>(c.colorref & 0xFFFFFF)) << c.text;
  }
  EXPECT_EQ(ColourFromText("fdc415"), std::optional<uint32_t>(0x15C4FD));
  for (const char* bad : {"", "#", "#12345", "#1234567", "#GG0000", "12 456", "#-12345"})
    EXPECT_EQ(ColourFromText(bad), std::nullopt) << bad;
}

// The colour dialog's custom field: a colour with or without "#" and blanks
// around it; anything else is no colour, never a colour read halfway.
TEST(Colours, CustomColourField) {
  using Kind = CustomColour::Kind;
  const struct {
    const wchar_t* text;
    CustomColour expected;
  } cases[] = {
      {L"", {}},
      {L"   ", {}},
      {L"#12AB34", {Kind::kColour, 0x34AB12}},
      {L" 12ab34\t", {Kind::kColour, 0x34AB12}},
      {L"#000000", {Kind::kColour, 0x000000}},
      {L"#12AB3", {Kind::kInvalid}},
      {L"#12AB345", {Kind::kInvalid}},
      {L"#12 AB34", {Kind::kInvalid}},
      {L"red", {Kind::kInvalid}},
      {L"##12AB34", {Kind::kInvalid}},
      {L"#12AB3\u0664", {Kind::kInvalid}},  // a digit of another script
      {L"\uFF03" L"12AB34", {Kind::kInvalid}},  // a full-width "#"
  };
  for (const auto& c : cases) {
    const CustomColour seen = CustomColourFromText(c.text);
    EXPECT_EQ(static_cast<int>(seen.kind), static_cast<int>(c.expected.kind)) << testing::PrintToString(c.text);
    EXPECT_EQ(seen.colour, c.expected.colour) << testing::PrintToString(c.text);
  }
  EXPECT_EQ(CustomColourText(0x34AB12), L"#12AB34");
  EXPECT_EQ(CustomColourFromText(CustomColourText(0x15C4FD)).colour, 0x15C4FDu);
}

// Whatever a damaged profile or another program left in the record, what the
// page's rules store is something the page can show and the mouse takes.
TEST(ApplySensorRules, StoresOnlyWhatThePageWouldStore) {
  struct Case {
    const char* what;
    void (*damage)(ProfileRecord&);
    void (*expect)(ProfileRecord&);
  };
  const Case cases[] = {
      {"CPI 0 and 65535", [](ProfileRecord& p) { p.cpi[0] = {0, 0}; p.cpi[1] = {65535, 65535}; },
       [](ProfileRecord& p) { p.cpi[0] = {50, 50}; p.cpi[1] = {16000, 16000}; }},
      {"Y other than X, off the step", [](ProfileRecord& p) { p.cpi[2] = {1234, 800}; },
       [](ProfileRecord& p) { p.cpi[2] = {1250, 1250}; }},
      {"unknown lift-off", [](ProfileRecord& p) { p.liftOffDistance = 9; },
       [](ProfileRecord& p) { p.liftOffDistance = kLiftOff2mm; }},
      {"3 mm stays", [](ProfileRecord& p) { p.liftOffDistance = kLiftOff3mm; },
       [](ProfileRecord& p) { p.liftOffDistance = kLiftOff3mm; }},
      {"unknown smoothing", [](ProfileRecord& p) { p.smoothing = 5; }, [](ProfileRecord& p) { p.smoothing = 1; }},
      {"unknown level value", [](ProfileRecord& p) { p.cpiLevelDisabled = {255, 7, 255, 255}; },
       [](ProfileRecord& p) { p.cpiLevelDisabled = {255, 0, 255, 255}; }},
      {"no level in use", [](ProfileRecord& p) { p.cpiLevelDisabled = {255, 255, 255, 255}; },
       [](ProfileRecord& p) { p.cpiLevelDisabled = {0, 255, 255, 255}; }},
      {"a colour outside the palette stays", [](ProfileRecord& p) { p.cpiColour[3] = 0x123456; },
       [](ProfileRecord& p) { p.cpiColour[3] = 0x123456; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileRecord profile;
    ResetToDefaultProfile(profile);
    ProfileRecord expected = profile;
    c.damage(profile);
    c.expect(expected);
    ApplySensorRules(profile);
    EXPECT_EQ(profile.cpi, expected.cpi);
    EXPECT_EQ(profile.cpiLevelDisabled, expected.cpiLevelDisabled);
    EXPECT_EQ(profile.smoothing, expected.smoothing);
    EXPECT_EQ(profile.liftOffDistance, expected.liftOffDistance);
    EXPECT_EQ(profile.cpiColour, expected.cpiColour);
  }
}

TEST(Palette, ColoursAndSelection) {
  const struct {
    int index;
    uint32_t colour;
  } cases[] = {{0, 0x000000}, {1, 0x0000FF}, {2, 0x00FF00}, {4, 0x00EBFF}, {5, 0x15C4FD},
               {9, 0x0096FF}, {11, 0xFFFF00}, {12, 0xFFFFFF}, {15, 0x47C600}, {16, 0xFFFFFF},
               {17, 0x000000}, {-1, 0x000000}};
  for (const auto& c : cases) EXPECT_EQ(PaletteColour(c.index), c.colour) << c.index;
  EXPECT_EQ(PaletteSelectionAfterClick(0, 2), 2);
  EXPECT_EQ(PaletteSelectionAfterClick(2, 2), 0);   // a second click clears
  EXPECT_EQ(PaletteSelectionAfterClick(2, 11), 11); // another colour moves it
}

}  // namespace
}  // namespace korvid
