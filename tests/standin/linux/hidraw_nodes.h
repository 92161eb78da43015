#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_port.h"
#include "emulator/emulated_mouse.h"

// The nodes the hidraw stand-in serves: each node's top-level collections
// (its report descriptor is theirs, in order), the device it belongs to and
// the emulated interface that answers its feature reports.
namespace korvid::standin {

// One top-level collection the stand-in can put on a node.
struct Collection {
  const char* name;  // as written in a node's description
  HidCaps caps;
  const std::vector<uint8_t>* descriptor;
};

// config (0xFF01/2), vendor (0xFF00/1), keyboard (1/6), pointer (1/2).
const std::vector<Collection>& Collections();

struct HidrawNode {
  std::string name;                 // "hidraw0"
  std::vector<uint8_t> descriptor;  // the collections' descriptors in order
  std::string productName;          // what HIDIOCGRAWNAME gives
  // The emulated interface that answers the node's reports: the one of the
  // same device whose collection is on the node, the configuration
  // interface first.
  emulator::EmulatedInterface backing;
};

// A node from its description: NAME=COLLECTION[+COLLECTION...][@other], for
// example "hidraw0=vendor+config" (two collections on one node of the
// mouse) or "hidraw3=config@other" (an unrelated device with the same
// usages). Nothing, with `error` set, for a description that does not parse
// or names a collection no emulated interface of that device has.
std::optional<HidrawNode> ParseNode(std::string_view description, std::string& error);

}  // namespace korvid::standin
