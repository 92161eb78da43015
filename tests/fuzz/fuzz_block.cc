// Any block unpacks into a profile that packs back to the same mapped bytes.
#include <cstdlib>
#include <cstring>

#include "profile/device_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvid::ConfigBlock block{};
  std::memcpy(block.data(), data, size < block.size() ? size : block.size());
  korvid::ProfileRecord profile;
  korvid::InitProfileDefaults(profile);
  korvid::ImageToProfile(korvid::UnpackBlock(block), profile);
  korvid::DeviceImage image{};
  korvid::ProfileToImage(profile, image);
  const korvid::ConfigBlock again = korvid::PackBlock(image);
  // CPI values survive the round trip whatever else the block holds.
  for (int offset : {52, 53, 54, 55, 61, 62, 63, 64, 82, 83, 84, 85, 92, 93, 94, 95, 0, 70})
    if (again[offset] != block[offset]) std::abort();
  return 0;
}
