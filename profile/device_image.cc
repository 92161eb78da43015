#include "profile/device_image.h"

#include <cstddef>

namespace korvid {
namespace {

// Block positions of the image's fields.
constexpr size_t kProfileIndexOffset = 0;
constexpr size_t kBlockLengthOffset = 17;
constexpr size_t kOption21Offset = 21;
constexpr size_t kOption22Offset = 22;
constexpr std::array<size_t, 2> kStatusLedOffsets = {23, 27};
constexpr std::array<size_t, 4> kCpiLedOffsets = {37, 41, 45, 196};
constexpr size_t kOption50Offset = 50;
constexpr std::array<size_t, 4> kCpiEntryOffsets = {51, 60, 81, 91};
constexpr size_t kCpiXOffset = 1;  // within a CPI entry, after the disabled byte
constexpr size_t kCpiYOffset = 3;
constexpr size_t kOption69Offset = 69;
constexpr size_t kLiftOffOffset = 70;
constexpr size_t kOption71Offset = 71;
constexpr size_t kOption72Offset = 72;
constexpr size_t kOption86Offset = 86;
constexpr size_t kSmoothingOffset = 87;
constexpr size_t kOption88Offset = 88;
constexpr size_t kOption89Offset = 89;
constexpr size_t kBindingOffset = 101;
constexpr size_t kBindingSize = 7;
constexpr size_t kExtraLedOffset = 201;
constexpr size_t kExtraLedSize = 5;

// Offsets within a binding record.
constexpr size_t kBindingTypeByte = 0;
constexpr size_t kBindingCodeByte = 1;
constexpr size_t kBindingExtraByte = 2;
constexpr size_t kBindingReservedByte = 4;
constexpr size_t kBindingMarkerByte = 6;

// The bindings that the profile carries; the image has one more record.
constexpr size_t kProfileButtonCount = 6;

void Put16(ConfigBlock& block, size_t offset, uint16_t value) {
  block[offset] = static_cast<uint8_t>(value & 0xFF);
  block[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t Get16(const ConfigBlock& block, size_t offset) {
  return static_cast<uint16_t>(block[offset] | (block[offset + 1] << 8));
}

void PutLed4(ConfigBlock& block, size_t offset, const LedRecord4& led) {
  block[offset] = led.red;
  block[offset + 1] = led.green;
  block[offset + 2] = led.blue;
  block[offset + 3] = led.flags;
}

LedRecord4 GetLed4(const ConfigBlock& block, size_t offset) {
  return {block[offset], block[offset + 1], block[offset + 2], block[offset + 3]};
}

uint32_t LedColour(const LedRecord4& led) {
  return static_cast<uint32_t>(led.red) | (static_cast<uint32_t>(led.green) << 8) |
         (static_cast<uint32_t>(led.blue) << 16);
}

LedRecord4 LedFromColour(uint32_t colour, uint8_t flags) {
  return {static_cast<uint8_t>(colour & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
          static_cast<uint8_t>((colour >> 16) & 0xFF), flags};
}

void DecodeBinding(const BindingRecord& record, ButtonBinding& binding) {
  switch (record.type) {
    case kBindingMouse:
    case kBindingWheel:
    case kBindingButton5Default:
    case kBindingDisabled:
      binding.type = record.type;
      binding.code = record.code;
      binding.extra = 0;
      break;
    case kBindingKey:
      binding.type = record.type;
      binding.code = record.code;
      binding.extra = record.extra;
      break;
    default:
      // A type written by other software (a media function, say): carried
      // whole, so that writing the profile back leaves it as the mouse had it.
      binding.type = record.type;
      binding.code = record.code;
      binding.extra = record.extra;
      break;
  }
}

}  // namespace

BindingRecord EncodeBinding(const ButtonBinding& binding) {
  BindingRecord record;
  record.marker = kBindingMarker;
  switch (binding.type) {
    case kBindingMouse:
    case kBindingWheel:
    case kBindingButton5Default:
    case kBindingDisabled:
      record.type = static_cast<uint8_t>(binding.type);
      record.code = static_cast<uint8_t>(binding.code & 0xFF);
      break;
    case kBindingKey:
      record.type = static_cast<uint8_t>(binding.type);
      record.code = static_cast<uint8_t>(binding.code & 0xFF);
      record.extra = binding.extra;
      break;
    default:
      // A type read from a block goes back as it came; a wider one (from a
      // profile file) cannot be a block's, and is written as nothing.
      if (binding.type <= 0xFF) {
        record.type = static_cast<uint8_t>(binding.type);
        record.code = static_cast<uint8_t>(binding.code & 0xFF);
        record.extra = binding.extra;
      }
      break;
  }
  return record;
}

ConfigBlock PackBlock(const DeviceImage& image) {
  ConfigBlock block{};
  block[kProfileIndexOffset] = image.profileIndex;
  Put16(block, kBlockLengthOffset, image.blockLength);
  block[kOption21Offset] = image.option21;
  block[kOption22Offset] = image.option22;
  for (size_t i = 0; i < kStatusLedOffsets.size(); ++i) PutLed4(block, kStatusLedOffsets[i], image.statusLeds[i]);
  for (size_t i = 0; i < kCpiLedOffsets.size(); ++i) PutLed4(block, kCpiLedOffsets[i], image.cpiLeds[i]);
  block[kOption50Offset] = image.option50;
  for (size_t i = 0; i < kCpiEntryOffsets.size(); ++i) {
    const size_t offset = kCpiEntryOffsets[i];
    block[offset] = image.cpi[i].disabled;
    Put16(block, offset + kCpiXOffset, image.cpi[i].x);
    Put16(block, offset + kCpiYOffset, image.cpi[i].y);
  }
  block[kOption69Offset] = image.option69;
  block[kLiftOffOffset] = image.liftOffDistance;
  block[kOption71Offset] = image.option71;
  Put16(block, kOption72Offset, image.option72);
  block[kOption86Offset] = image.option86;
  block[kSmoothingOffset] = image.smoothing;
  block[kOption88Offset] = image.option88;
  block[kOption89Offset] = image.option89;
  for (size_t i = 0; i < image.buttons.size(); ++i) {
    const size_t offset = kBindingOffset + i * kBindingSize;
    const BindingRecord& record = image.buttons[i];
    block[offset + kBindingTypeByte] = record.type;
    block[offset + kBindingCodeByte] = record.code;
    Put16(block, offset + kBindingExtraByte, record.extra);
    Put16(block, offset + kBindingReservedByte, record.reserved);
    block[offset + kBindingMarkerByte] = record.marker;
  }
  for (size_t i = 0; i < image.extraLeds.size(); ++i) {
    const size_t offset = kExtraLedOffset + i * kExtraLedSize;
    const LedRecord5& led = image.extraLeds[i];
    block[offset] = led.red;
    block[offset + 1] = led.green;
    block[offset + 2] = led.blue;
    block[offset + 3] = led.flags;
    block[offset + 4] = led.spare;
  }
  return block;
}

DeviceImage UnpackBlock(const ConfigBlock& block) {
  DeviceImage image{};
  image.profileIndex = block[kProfileIndexOffset];
  image.blockLength = Get16(block, kBlockLengthOffset);
  image.option21 = block[kOption21Offset];
  image.option22 = block[kOption22Offset];
  for (size_t i = 0; i < kStatusLedOffsets.size(); ++i) image.statusLeds[i] = GetLed4(block, kStatusLedOffsets[i]);
  for (size_t i = 0; i < kCpiLedOffsets.size(); ++i) image.cpiLeds[i] = GetLed4(block, kCpiLedOffsets[i]);
  image.option50 = block[kOption50Offset];
  for (size_t i = 0; i < kCpiEntryOffsets.size(); ++i) {
    const size_t offset = kCpiEntryOffsets[i];
    image.cpi[i] = {block[offset], Get16(block, offset + kCpiXOffset), Get16(block, offset + kCpiYOffset)};
  }
  image.option69 = block[kOption69Offset];
  image.liftOffDistance = block[kLiftOffOffset];
  image.option71 = block[kOption71Offset];
  image.option72 = Get16(block, kOption72Offset);
  image.option86 = block[kOption86Offset];
  image.smoothing = block[kSmoothingOffset];
  image.option88 = block[kOption88Offset];
  image.option89 = block[kOption89Offset];
  for (size_t i = 0; i < image.buttons.size(); ++i) {
    const size_t offset = kBindingOffset + i * kBindingSize;
    BindingRecord& record = image.buttons[i];
    record.type = block[offset + kBindingTypeByte];
    record.code = block[offset + kBindingCodeByte];
    record.extra = Get16(block, offset + kBindingExtraByte);
    record.reserved = Get16(block, offset + kBindingReservedByte);
    record.marker = block[offset + kBindingMarkerByte];
  }
  for (size_t i = 0; i < image.extraLeds.size(); ++i) {
    const size_t offset = kExtraLedOffset + i * kExtraLedSize;
    image.extraLeds[i] = {block[offset], block[offset + 1], block[offset + 2], block[offset + 3], block[offset + 4]};
  }
  return image;
}

void ProfileToImage(const ProfileRecord& profile, DeviceImage& image) {
  image = DeviceImage{};
  image.profileIndex = profile.profileIndex;
  image.blockLength = kBlockLengthValue;
  image.option21 = static_cast<uint8_t>(profile.option21 & 0xFF);
  image.option22 = static_cast<uint8_t>(profile.option22 & 0xFF);
  image.option50 = profile.option50;
  image.option69 = static_cast<uint8_t>(profile.option69 & 0xFF);
  image.liftOffDistance = profile.liftOffDistance;
  image.option71 = static_cast<uint8_t>(profile.option71 & 0xFF);
  image.option72 = profile.option72;
  image.option86 = profile.option86;
  image.smoothing = static_cast<uint8_t>(profile.smoothing & 0xFF);
  image.option88 = profile.option88;
  image.option89 = profile.option89;
  for (size_t i = 0; i < image.cpi.size(); ++i)
    image.cpi[i] = {static_cast<uint8_t>(profile.cpiLevelDisabled[i] & 0xFF), profile.cpi[i].x, profile.cpi[i].y};

  const uint8_t flags = static_cast<uint8_t>(profile.ledFlagBitsA | profile.ledFlagBitsB);
  for (size_t i = 0; i < image.cpiLeds.size(); ++i)
    image.cpiLeds[i] = LedFromColour(ScaleColour(profile.ledBrightness, profile.cpiColour[i]), flags);
  for (LedRecord4& led : image.statusLeds) led.flags = flags;
  for (LedRecord5& led : image.extraLeds) led.flags = flags;

  for (size_t i = 0; i < kProfileButtonCount; ++i) image.buttons[i] = EncodeBinding(profile.buttons[i]);
}

void ImageToProfile(const DeviceImage& image, ProfileRecord& profile) {
  profile.profileIndex = image.profileIndex;
  profile.option21 = image.option21;
  profile.option22 = image.option22;
  profile.option50 = image.option50;
  profile.option69 = image.option69;
  profile.liftOffDistance = image.liftOffDistance;
  profile.option71 = image.option71;
  profile.option72 = static_cast<uint8_t>(image.option72 & 0xFF);
  profile.option86 = image.option86;
  profile.smoothing = image.smoothing;
  profile.option88 = image.option88;
  profile.option89 = image.option89;
  for (size_t i = 0; i < image.cpi.size(); ++i) {
    profile.cpiLevelDisabled[i] = image.cpi[i].disabled;
    profile.cpi[i] = {image.cpi[i].x, image.cpi[i].y};
  }
  for (size_t i = 0; i < image.cpiLeds.size(); ++i) profile.cpiColour[i] = LedColour(image.cpiLeds[i]);
  for (size_t i = 0; i < kProfileButtonCount; ++i) DecodeBinding(image.buttons[i], profile.buttons[i]);
}

uint32_t ScaleColour(uint8_t brightness, uint32_t colour) {
  struct Factors {
    uint8_t brightness;
    double red, green, blue;
  };
  static constexpr Factors kDimSteps[] = {{25, 0.13, 0.1, 0.13}, {50, 0.33, 0.33, 0.33}};
  constexpr uint8_t kFullBrightness = 100;
  constexpr uint32_t kRgbMask = 0x00FFFFFF;

  if (brightness == kFullBrightness) return colour & kRgbMask;
  for (const Factors& step : kDimSteps) {
    if (step.brightness != brightness) continue;
    const auto scale = [](uint32_t channel, double factor) {
      return static_cast<uint32_t>(static_cast<double>(channel & 0xFF) * factor);
    };
    return scale(colour, step.red) | (scale(colour >> 8, step.green) << 8) | (scale(colour >> 16, step.blue) << 16);
  }
  return colour;
}

}  // namespace korvid
