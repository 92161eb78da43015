#pragma once
#include <optional>
#include <string>

#include "profile/device_image.h"
#include "profile/profile_record.h"

namespace korvidctl {

// What `show` and `profile show` print: the settings as the program's pages
// show them. `firmware` is the version text of the mouse, when one was read;
// `name` the profile's name, for a profile file. The bindings and CPI values
// are reported as the profile holds them: for the mouse, the block's bytes,
// bindings no label names included (with a null label in JSON).
struct ReportSource {
  const korvid::ProfileRecord* profile = nullptr;
  std::optional<std::string> firmware;
  std::optional<std::u16string> name;
};

std::string TextReport(const ReportSource& source);
std::string JsonReport(const ReportSource& source);

// "2mm", "3mm", or the code itself.
std::string LiftOffText(uint8_t code);
// The block as hex, 16 bytes a line.
std::string HexDump(const korvid::ConfigBlock& block);

}  // namespace korvidctl
