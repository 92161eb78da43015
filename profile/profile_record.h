#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace korvid {

struct ButtonBinding {
  uint8_t index = 0;   // physical button number, equal to the position 0-5
  uint32_t type = 0;   // function type; low 8 bits meaningful
  uint32_t code = 0;   // function code; low 16 bits meaningful
  uint16_t extra = 0;  // HID usage of the key for keyboard bindings (type 2)
  bool operator==(const ButtonBinding&) const = default;
};

struct CpiValue {
  uint16_t x = 0;
  uint16_t y = 0;
  bool operator==(const CpiValue&) const = default;
};

// Binding types used by this program.
enum BindingType : uint32_t {
  kBindingMouse = 0,
  kBindingWheel = 1,
  kBindingKey = 2,
  kBindingButton5Default = 9,
  kBindingDisabled = 255,
};

enum LiftOffCode : uint8_t { kLiftOff2mm = 6, kLiftOff3mm = 11 };

enum CpiLevelState : uint32_t { kCpiLevelInUse = 0, kCpiLevelOff = 255 };

inline constexpr char16_t kInitialProfileName[] = u"profile";
inline constexpr char16_t kDefaultProfileName[] = u"Default Profile";

// The program's whole model of one mouse configuration. Fields are in the
// order the profile is described in; widths are those of the stored form.
struct ProfileRecord {
  std::filesystem::path filePath;
  uint8_t profileIndex = 0;
  std::u16string name;
  uint32_t option22 = 0;
  uint16_t blockLength = 0;
  uint16_t option21 = 0;
  uint8_t lightSetting0 = 0;
  uint8_t ledFlagBitsA = 0;
  uint8_t ledFlagBitsB = 0;
  uint8_t lightSetting3 = 0;
  uint8_t lightSetting4 = 0;
  uint8_t lightSetting5 = 0;
  uint8_t ledBrightness = 0;
  std::array<uint32_t, 3> spareColour{};
  std::array<uint32_t, 4> cpiColour{};  // 0x00BBGGRR
  uint8_t option86 = 0;
  uint8_t option50 = 0;
  std::array<uint32_t, 4> cpiLevelDisabled{};
  std::array<CpiValue, 4> cpi{};
  uint32_t option71 = 0;
  uint8_t option72 = 0;
  uint32_t optionSpare = 0;
  uint8_t option88 = 0;
  uint32_t option69 = 0;
  uint8_t liftOffDistance = 0;
  uint32_t smoothing = 0;
  uint8_t option89 = 0;
  std::array<ButtonBinding, 6> buttons{};

  bool operator==(const ProfileRecord&) const = default;
};

// Fills every field with its default; filePath becomes empty, name "profile".
void InitProfileDefaults(ProfileRecord& profile);
// The same, but filePath keeps its value.
void ResetToDefaults(ProfileRecord& profile);
// The profile the program starts from and restores: the defaults (filePath
// keeps its value) as onboard profile 0, named "Default Profile".
void ResetToDefaultProfile(ProfileRecord& profile);

}  // namespace korvid
