#pragma once
#include <array>
#include <cstdint>

#include "profile/profile_record.h"

namespace korvid {

inline constexpr int kBlockSize = 1024;
using ConfigBlock = std::array<uint8_t, kBlockSize>;

struct LedRecord4 {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
  bool operator==(const LedRecord4&) const = default;
};

struct LedRecord5 {
  uint8_t red = 0, green = 0, blue = 0, flags = 0, spare = 0;
  bool operator==(const LedRecord5&) const = default;
};

// Seven bytes: type, code, extra (16-bit), two reserved bytes, marker 0x0F.
struct BindingRecord {
  uint8_t type = 0;
  uint8_t code = 0;
  uint16_t extra = 0;
  uint16_t reserved = 0;
  uint8_t marker = 0;
  bool operator==(const BindingRecord&) const = default;
};

struct CpiEntry {
  uint8_t disabled = 0;
  uint16_t x = 0;
  uint16_t y = 0;
  bool operator==(const CpiEntry&) const = default;
};

inline constexpr uint8_t kBindingMarker = 0x0F;
inline constexpr uint16_t kBlockLengthValue = 1024;

// The device-side record: one field per entry of the 1024-byte block.
// Value-initialised ({}), every field is zero.
struct DeviceImage {
  uint8_t profileIndex = 0;                 // 0
  uint16_t blockLength = 0;                 // 17-18
  uint8_t option21 = 0;                     // 21
  uint8_t option22 = 0;                     // 22
  std::array<LedRecord4, 2> statusLeds{};   // 23, 27
  std::array<LedRecord4, 4> cpiLeds{};      // 37, 41, 45, 196
  uint8_t option50 = 0;                     // 50
  std::array<CpiEntry, 4> cpi{};            // 51, 60, 81, 91 (+1 x, +3 y)
  uint8_t option69 = 0;                     // 69
  uint8_t liftOffDistance = 0;              // 70
  uint8_t option71 = 0;                     // 71
  uint16_t option72 = 0;                    // 72-73
  uint8_t option86 = 0;                     // 86
  uint8_t smoothing = 0;                    // 87
  uint8_t option88 = 0;                     // 88
  uint8_t option89 = 0;                     // 89
  std::array<BindingRecord, 7> buttons{};   // 101 + 7 * i
  std::array<LedRecord5, 6> extraLeds{};    // 201 + 5 * i
  bool operator==(const DeviceImage&) const = default;
};

// Byte copies between the image and its block positions. Bytes the layout
// does not list are written as zero and ignored when read.
ConfigBlock PackBlock(const DeviceImage& image);
DeviceImage UnpackBlock(const ConfigBlock& block);

void ProfileToImage(const ProfileRecord& profile, DeviceImage& image);
// The record a binding is written to the block as (the types this program
// knows; any other type gives an empty record with the marker).
BindingRecord EncodeBinding(const ButtonBinding& binding);
void ImageToProfile(const DeviceImage& image, ProfileRecord& profile);

// Dims a 0x00BBGGRR colour for the LED brightness steps 25, 50 and 100.
uint32_t ScaleColour(uint8_t brightness, uint32_t colour);

}  // namespace korvid
