#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "profile/profile_record.h"

// The sensor page's value rules, kept free of windows: the program's page
// and korvidctl both apply them, and they are tested on their own.
namespace korvid {

inline constexpr int kCpiLevels = 4;

// The integer a CPI field's text starts with: blanks, an optional sign, then
// the leading digits; 0 without digits. A number too long for an int
// saturates at INT_MAX (or INT_MIN), so it counts as far above the maximum.
int CpiFromText(std::wstring_view text);
// The decimal text the page writes into a field ("%d").
std::wstring CpiText(int value);

// The rounding applied when the page stores its fields: nearest multiple of
// the step, halves up, then limited to the minimum and maximum. Any int in.
int RoundCpi(int value);
// An up (+1) or down (-1) click: one step added or taken, limited to the
// minimum and maximum, not rounded to the step (1234 steps to 1284).
int StepCpi(int value, int direction);

// What the page's timer writes into a field showing `value`: a value above
// the maximum at once, one below the minimum only once the field has lost
// the focus. The caret goes after the last character written.
struct CpiCorrection {
  int value = 0;
  int caret = 0;
};
std::optional<CpiCorrection> CorrectCpiField(int value, bool hasFocus);

// A click on a level switch: the switch's new state. A level in use is
// switched off unless it is the only one in use; one off is switched on.
bool LevelSwitchAfterClick(const std::array<bool, kCpiLevels>& inUse, int level);
// The switch state a record's level value shows: 0 in use, 255 off; any
// other value leaves the switch as it is (nothing).
std::optional<bool> LevelSwitchFromRecord(uint32_t cpiLevelDisabled);
uint32_t LevelRecordValue(bool inUse);
// True when at least one level of a record is in use.
bool AnyLevelInUse(const std::array<uint32_t, kCpiLevels>& cpiLevelDisabled);

// The sensor settings of `profile` as the page stores them, whatever the
// record held (a damaged profile file, a block written by other software):
// each CPI rounded with Y equal to X; each level in use or off, a value that
// is neither counting as in use, and level 1 in use when no level is;
// smoothing on (1) or off (0); a lift-off distance the page offers (2 mm
// when the record's is another). Colours are any 24-bit colour and stay.
void ApplySensorRules(ProfileRecord& profile);

// Colours: the record's 0x00BBGGRR, the skinned controls' 0xAARRGGBB
// (opaque), and the "#RRGGBB" text users read and type.
uint32_t ColourToArgb(uint32_t colorref);
std::string ColourText(uint32_t colorref);
// "#RRGGBB" or "RRGGBB" (either case) into 0x00BBGGRR; nothing otherwise.
std::optional<uint32_t> ColourFromText(std::string_view text);

// What the colour dialog's custom colour field holds: no text (no colour
// chosen), a colour as ColourFromText reads it with blanks around it, or
// text that is no colour, which is never saved.
struct CustomColour {
  enum class Kind { kNone, kColour, kInvalid };
  Kind kind = Kind::kNone;
  uint32_t colour = 0;  // 0x00BBGGRR, for kColour
  bool operator==(const CustomColour&) const = default;
};
CustomColour CustomColourFromText(std::wstring_view text);
// The field's text for a colour: "#RRGGBB".
std::wstring CustomColourText(uint32_t colorref);

// The colour dialog's palette: index 1 to 16, 0 for no choice (black).
inline constexpr int kPaletteSize = 16;
uint32_t PaletteColour(int index);
// The selection after a click on palette index `clicked`: a second click on
// the selected colour clears the choice.
int PaletteSelectionAfterClick(int selection, int clicked);

}  // namespace korvid
