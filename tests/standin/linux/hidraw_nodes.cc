#include "tests/standin/linux/hidraw_nodes.h"

#include <algorithm>

#include "device/link.h"
#include "tests/device/report_descriptors.h"

namespace korvid::standin {
namespace {

constexpr char kMouseName[] = "Orvanta Korvid Gaming Mouse";
constexpr char kOtherDeviceName[] = "Other Vendor Device";
constexpr char kOtherDeviceSuffix[] = "@other";
constexpr size_t kMaxNodeNumberDigits = 4;

bool ValidNodeName(std::string_view name) {
  constexpr std::string_view prefix = "hidraw";
  if (name.size() <= prefix.size() || name.size() > prefix.size() + kMaxNodeNumberDigits) return false;
  if (name.substr(0, prefix.size()) != prefix) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

const Collection* FindCollection(std::string_view name) {
  for (const Collection& collection : Collections())
    if (name == collection.name) return &collection;
  return nullptr;
}

bool SameCaps(const HidCaps& a, const HidCaps& b) { return a.usagePage == b.usagePage && a.usage == b.usage; }

// The emulated interface of the device (`ofMouse`) with one of the
// collections, the configuration interface first.
const emulator::EmulatedInterface* Backing(const std::vector<const Collection*>& collections, bool ofMouse) {
  const emulator::EmulatedInterface* found = nullptr;
  for (const emulator::EmulatedInterface& candidate : emulator::Interfaces()) {
    if (candidate.isMouse != ofMouse) continue;
    for (const Collection* collection : collections) {
      if (!SameCaps(candidate.caps, collection->caps)) continue;
      if (candidate.isConfig) return &candidate;
      if (found == nullptr) found = &candidate;
    }
  }
  return found;
}

}  // namespace

const std::vector<Collection>& Collections() {
  static const std::vector<Collection> collections = {
      {"config", {kConfigUsagePage, kConfigUsage}, &report_descriptors::kConfigCollection},
      {"vendor", {0xFF00, 0x0001}, &report_descriptors::kOtherVendorCollection},
      {"keyboard", {0x0001, 0x0006}, &report_descriptors::kBootKeyboard},
      {"pointer", {0x0001, 0x0002}, &report_descriptors::kBootMouse},
  };
  return collections;
}

std::optional<HidrawNode> ParseNode(std::string_view description, std::string& error) {
  const size_t equals = description.find('=');
  if (equals == std::string_view::npos || !ValidNodeName(description.substr(0, equals))) {
    error = "a node is NAME=COLLECTION[+COLLECTION...][@other] with NAME hidrawN: " + std::string(description);
    return std::nullopt;
  }
  HidrawNode node;
  node.name = std::string(description.substr(0, equals));
  std::string_view rest = description.substr(equals + 1);
  const bool ofMouse = !rest.ends_with(kOtherDeviceSuffix);
  if (!ofMouse) rest.remove_suffix(sizeof kOtherDeviceSuffix - 1);

  std::vector<const Collection*> collections;
  while (true) {
    const size_t plus = rest.find('+');
    const std::string_view name = rest.substr(0, plus);
    const Collection* collection = FindCollection(name);
    if (collection == nullptr) {
      error = "unknown collection '" + std::string(name) + "' in " + std::string(description);
      return std::nullopt;
    }
    collections.push_back(collection);
    node.descriptor.insert(node.descriptor.end(), collection->descriptor->begin(), collection->descriptor->end());
    if (plus == std::string_view::npos) break;
    rest.remove_prefix(plus + 1);
  }

  const emulator::EmulatedInterface* backing = Backing(collections, ofMouse);
  if (backing == nullptr) {
    error = "no emulated interface answers " + std::string(description);
    return std::nullopt;
  }
  node.backing = *backing;
  node.productName = ofMouse ? kMouseName : kOtherDeviceName;
  return node;
}

}  // namespace korvid::standin
