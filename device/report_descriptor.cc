#include "device/report_descriptor.h"

namespace korvid {
namespace {

constexpr uint8_t kLongItemPrefix = 0xFE;
enum ItemType : uint8_t { kMainItem = 0, kGlobalItem = 1, kLocalItem = 2 };
constexpr uint8_t kMainCollection = 0x0A;
constexpr uint8_t kMainEndCollection = 0x0C;
constexpr uint8_t kGlobalUsagePage = 0x00;
constexpr uint8_t kGlobalPush = 0x0A;
constexpr uint8_t kGlobalPop = 0x0B;
constexpr uint8_t kLocalUsage = 0x00;
constexpr uint32_t kApplicationCollection = 0x01;
constexpr size_t kFourByteSizeCode = 3;
constexpr size_t kMaxPushDepth = 16;

uint32_t LittleEndian(const uint8_t* data, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * i);
  return value;
}

}  // namespace

std::vector<HidCaps> TopLevelUsages(const uint8_t* descriptor, size_t size) {
  std::vector<HidCaps> found;
  if (descriptor == nullptr) return found;
  uint32_t usagePage = 0;
  std::vector<uint32_t> pushedPages;
  // The first Usage among the local items since the last main item.
  bool haveUsage = false;
  uint32_t firstUsage = 0;
  bool firstUsageHasPage = false;
  int depth = 0;

  size_t position = 0;
  while (position < size) {
    const uint8_t prefix = descriptor[position];
    if (prefix == kLongItemPrefix) {
      // Long item: prefix, data size, tag, data. Nothing in it concerns us.
      if (size - position < 3) return found;
      const size_t dataSize = descriptor[position + 1];
      if (size - position - 3 < dataSize) return found;
      position += 3 + dataSize;
      continue;
    }
    const size_t sizeCode = prefix & 0x03u;
    const size_t dataSize = sizeCode == kFourByteSizeCode ? 4 : sizeCode;
    const uint8_t type = (prefix >> 2) & 0x03u;
    const uint8_t tag = prefix >> 4;
    if (size - position - 1 < dataSize) return found;
    const uint32_t data = LittleEndian(descriptor + position + 1, dataSize);
    position += 1 + dataSize;

    if (type == kGlobalItem) {
      if (tag == kGlobalUsagePage) {
        usagePage = data;
      } else if (tag == kGlobalPush) {
        if (pushedPages.size() >= kMaxPushDepth) return found;
        pushedPages.push_back(usagePage);
      } else if (tag == kGlobalPop) {
        if (pushedPages.empty()) return found;
        usagePage = pushedPages.back();
        pushedPages.pop_back();
      }
    } else if (type == kLocalItem) {
      if (tag == kLocalUsage && !haveUsage) {
        haveUsage = true;
        firstUsage = data;
        firstUsageHasPage = dataSize == 4;
      }
    } else if (type == kMainItem) {
      if (tag == kMainCollection) {
        if (depth == 0 && data == kApplicationCollection) {
          HidCaps caps;
          caps.usagePage = static_cast<uint16_t>(firstUsageHasPage ? firstUsage >> 16 : usagePage);
          caps.usage = static_cast<uint16_t>(firstUsage);
          found.push_back(caps);
        }
        ++depth;
      } else if (tag == kMainEndCollection) {
        if (depth == 0) return found;
        --depth;
      }
      haveUsage = false;
      firstUsage = 0;
      firstUsageHasPage = false;
    }
    // Reserved item types carry a size like any other and are passed over.
  }
  return found;
}

std::optional<HidCaps> TopLevelUsage(const uint8_t* descriptor, size_t size) {
  std::vector<HidCaps> usages = TopLevelUsages(descriptor, size);
  if (usages.empty()) return std::nullopt;
  return usages.front();
}

}  // namespace korvid
