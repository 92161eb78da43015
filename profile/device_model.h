#pragma once
#include <array>
#include <cstdint>

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

// The process-wide model record, filled with the Korvid constants.
inline const DeviceModel& KorvidModel() {
  static const DeviceModel model;
  return model;
}

}  // namespace korvid
