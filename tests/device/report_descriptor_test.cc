#include "device/report_descriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "tests/device/report_descriptors.h"

namespace korvid {
namespace {

using Bytes = std::vector<uint8_t>;
using report_descriptors::kBootKeyboard;
using report_descriptors::kBootMouse;
// The configuration collection: a 64-byte (ID 0xA1) and a 1041-byte (ID 0xA0)
// feature report on a two-byte vendor usage page.
const Bytes& kVendorCollection = report_descriptors::kConfigCollection;

struct DescriptorCase {
  const char* name;
  Bytes descriptor;
  std::optional<HidCaps> expected;
};

std::optional<HidCaps> Caps(uint16_t page, uint16_t usage) { return HidCaps{page, usage}; }

TEST(TopLevelUsage, Descriptors) {
  const DescriptorCase cases[] = {
      {"boot keyboard", kBootKeyboard, Caps(0x01, 0x06)},
      {"boot mouse", kBootMouse, Caps(0x01, 0x02)},
      {"vendor collection", kVendorCollection, Caps(0xFF01, 0x02)},
      {"four-byte usage carries its page", {0x05, 0x01, 0x0B, 0x02, 0x00, 0x01, 0xFF, 0xA1, 0x01, 0xC0},
       Caps(0xFF01, 0x02)},
      {"four-byte usage page", {0x07, 0x01, 0xFF, 0x00, 0x00, 0x09, 0x02, 0xA1, 0x01, 0xC0}, Caps(0xFF01, 0x02)},
      {"long item passed over", {0xFE, 0x02, 0x10, 0xA1, 0x01, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0},
       Caps(0x01, 0x02)},
      {"pop restores the page",
       {0x05, 0x0C, 0xA4, 0x05, 0x01, 0xB4, 0x09, 0x01, 0xA1, 0x01, 0xC0}, Caps(0x0C, 0x01)},
      {"physical collection first", {0x05, 0x01, 0x09, 0x01, 0xA1, 0x00, 0xC0, 0x09, 0x06, 0xA1, 0x01, 0xC0},
       Caps(0x01, 0x06)},
      {"first usage of several", {0x05, 0x01, 0x09, 0x02, 0x09, 0x06, 0xA1, 0x01, 0xC0}, Caps(0x01, 0x02)},
      {"empty", {}, std::nullopt},
      {"no collection", {0x05, 0x01, 0x09, 0x02}, std::nullopt},
      {"truncated usage page", {0x06, 0x01}, std::nullopt},
      {"truncated four-byte usage", {0x05, 0x01, 0x0B, 0x02, 0x00}, std::nullopt},
      {"long item beyond the end", {0xFE, 0x40, 0x10, 0x00, 0xA1, 0x01}, std::nullopt},
      {"long item header cut", {0xFE, 0x01}, std::nullopt},
      {"pop without push", {0xB4, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}, std::nullopt},
      {"end collection without collection", {0xC0, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}, std::nullopt},
      {"garbage", {0xFF, 0xFF, 0xFF}, std::nullopt},
  };
  for (const DescriptorCase& c : cases) {
    // An exact-size heap copy, so that a read past the end shows under the
    // sanitizers.
    auto copy = std::make_unique<uint8_t[]>(c.descriptor.size() + 1);
    std::copy(c.descriptor.begin(), c.descriptor.end(), copy.get());
    auto caps = TopLevelUsage(c.descriptor.empty() ? nullptr : copy.get(), c.descriptor.size());
    ASSERT_EQ(caps.has_value(), c.expected.has_value()) << c.name;
    if (caps) {
      EXPECT_EQ(caps->usagePage, c.expected->usagePage) << c.name;
      EXPECT_EQ(caps->usage, c.expected->usage) << c.name;
    }
  }
}

TEST(TopLevelUsage, EveryCutOfTheVendorDescriptor) {
  constexpr size_t kCollectionEnd = 7;  // the Collection item ends here
  for (size_t size = 0; size <= kVendorCollection.size(); ++size) {
    std::vector<uint8_t> cut(kVendorCollection.begin(), kVendorCollection.begin() + static_cast<std::ptrdiff_t>(size));
    cut.shrink_to_fit();
    auto caps = TopLevelUsage(cut.data(), cut.size());
    EXPECT_EQ(caps.has_value(), size >= kCollectionEnd) << size;
  }
}

// One USB interface may carry several top-level collections: a hidraw node
// then stands for all of them, in order.
TEST(TopLevelUsage, CompositeInterfaceListsEveryCollection) {
  Bytes composite = kBootKeyboard;
  composite.insert(composite.end(), kVendorCollection.begin(), kVendorCollection.end());
  EXPECT_EQ(TopLevelUsages(composite.data(), composite.size()),
            (std::vector<HidCaps>{{0x01, 0x06}, {0xFF01, 0x02}}));
  EXPECT_EQ(TopLevelUsage(composite.data(), composite.size())->usage, 0x06);
}

TEST(TopLevelUsage, DeepPushIsRefused) {
  Bytes descriptor(100, 0xA4);  // Push, a hundred times
  for (int b : {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}) descriptor.push_back(static_cast<uint8_t>(b));
  EXPECT_FALSE(TopLevelUsage(descriptor.data(), descriptor.size()).has_value());
}

}  // namespace
}  // namespace korvid
