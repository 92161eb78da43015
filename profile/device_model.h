#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace korvid {

// Constants of the mouse model this program configures.
struct DeviceModel {
  uint16_t vendorId = 0x31C5;
  uint16_t productId = 0x2716;
  int cpiStep = 50;
  int cpiMax = 16000;
  int cpiMin = 50;
  std::array<uint16_t, 4> defaultCpi = {400, 800, 1600, 3200};
  // The data folder below the data root: "<root>\Orvanta\Korvid".
  const char* dataVendorFolder = "Orvanta";
  const char* dataProductFolder = "Korvid";
};

// The four hex digits of a USB vendor or product ID as names carry them:
// upper case in Windows interface paths ("VID_31C5"), lower case in sysfs
// attributes and in names the system has folded.
enum class HexCase : uint8_t { kUpper, kLower };
inline std::string UsbIdText(uint16_t id, HexCase letters) {
  const char* digits = letters == HexCase::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text(4, '0');
  for (size_t i = text.size(); i-- > 0; id = static_cast<uint16_t>(id >> 4)) text[i] = digits[id & 0xFu];
  return text;
}

// The process-wide model record, filled with the Korvid constants.
inline const DeviceModel& KorvidModel() {
  static const DeviceModel model;
  return model;
}

}  // namespace korvid
