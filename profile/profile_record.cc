#include "profile/profile_record.h"

#include "profile/device_model.h"

namespace korvid {
namespace {

constexpr uint32_t kDefaultOption22 = 1;
constexpr uint16_t kDefaultBlockLength = 1024;
constexpr uint16_t kDefaultOption21 = 1;
constexpr uint8_t kDefaultLightSetting0 = 15;
constexpr uint8_t kDefaultLedFlagBitsA = 12;
constexpr uint8_t kDefaultLedFlagBitsB = 1;
constexpr uint8_t kDefaultLightSetting = 1;  // lightSetting3 to lightSetting5
constexpr uint8_t kDefaultLedBrightness = 100;
constexpr uint32_t kDefaultSpareColour = 0x15C4FD;
constexpr std::array<uint32_t, 4> kDefaultCpiColours = {0x15C4FD, 0x893B37, 0x0606CE, 0x397C1C};
constexpr uint8_t kDefaultOption86 = 4;
constexpr uint8_t kDefaultOption50 = 2;
constexpr uint8_t kDefaultOption89 = 1;

struct DefaultBinding {
  uint32_t type;
  uint32_t code;
};
constexpr std::array<DefaultBinding, 6> kDefaultBindings = {{
    {kBindingMouse, 1},   // left
    {kBindingMouse, 2},   // right
    {kBindingMouse, 4},   // middle
    {kBindingMouse, 16},  // forward
    {kBindingMouse, 8},   // back
    {kBindingButton5Default, 0xF1},
}};

}  // namespace

void ResetToDefaults(ProfileRecord& profile) {
  ProfileRecord fresh;
  fresh.filePath = std::move(profile.filePath);
  fresh.profileIndex = 0;
  fresh.name = kInitialProfileName;
  fresh.option22 = kDefaultOption22;
  fresh.blockLength = kDefaultBlockLength;
  fresh.option21 = kDefaultOption21;
  fresh.lightSetting0 = kDefaultLightSetting0;
  fresh.ledFlagBitsA = kDefaultLedFlagBitsA;
  fresh.ledFlagBitsB = kDefaultLedFlagBitsB;
  fresh.lightSetting3 = kDefaultLightSetting;
  fresh.lightSetting4 = kDefaultLightSetting;
  fresh.lightSetting5 = kDefaultLightSetting;
  fresh.ledBrightness = kDefaultLedBrightness;
  fresh.spareColour.fill(kDefaultSpareColour);
  fresh.cpiColour = kDefaultCpiColours;
  fresh.option86 = kDefaultOption86;
  fresh.option50 = kDefaultOption50;
  fresh.cpiLevelDisabled.fill(kCpiLevelInUse);
  const DeviceModel& model = KorvidModel();
  for (size_t i = 0; i < fresh.cpi.size(); ++i) fresh.cpi[i] = {model.defaultCpi[i], model.defaultCpi[i]};
  fresh.option71 = 0;
  fresh.option72 = 0;
  fresh.optionSpare = 0;
  fresh.option88 = 0;
  fresh.option69 = 0;
  fresh.liftOffDistance = kLiftOff2mm;
  fresh.smoothing = 0;
  fresh.option89 = kDefaultOption89;
  for (size_t i = 0; i < fresh.buttons.size(); ++i)
    fresh.buttons[i] = {static_cast<uint8_t>(i), kDefaultBindings[i].type, kDefaultBindings[i].code, 0};
  profile = std::move(fresh);
}

void ResetToDefaultProfile(ProfileRecord& profile) {
  ResetToDefaults(profile);
  profile.profileIndex = 0;
  profile.name = kDefaultProfileName;
}

void InitProfileDefaults(ProfileRecord& profile) {
  profile.filePath.clear();
  ResetToDefaults(profile);
}

}  // namespace korvid
