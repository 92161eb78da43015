#include "tests/standin/windows/standin_layout.h"

#include <algorithm>
#include <cstdio>

#include "device/commands.h"
#include "device/error_codes.h"

namespace korvid::standin {
namespace {

constexpr uint32_t kErrorInvalidUserBuffer = 1784;

// The configuration collection's feature reports: the protocol's two, each
// as long as the longest one it carries, and a firmware-update report the
// protocol never uses, which makes the collection's feature length 4097.
constexpr uint8_t kUpdateReportId = 0xA2;
constexpr uint16_t kUpdateReportLength = 4097;
// The other vendor's device: one feature report of its own.
constexpr uint8_t kOtherReportId = 0x06;
constexpr uint16_t kOtherReportLength = 65;
// Input and output reports of the collections the system reads.
constexpr uint16_t kKeyboardInputLength = 9;
constexpr uint16_t kKeyboardOutputLength = 2;
constexpr uint16_t kPointerInputLength = 7;

// Read-only files every Linux has; opened as root through Wine they refuse
// read/write access and open with access 0, as a collection the system
// holds does.
constexpr char kKeyboardSystemFile[] = "/sys/devices/system/cpu/possible";
constexpr char kPointerSystemFile[] = "/sys/devices/system/cpu/present";

constexpr char kPathPrefix[] = R"(\\?\)";

std::string Hex(std::optional<uint8_t> value) {
  if (!value) return "-";
  char text[3];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(*value));
  return text;
}

StandinInterface Describe(const emulator::EmulatedInterface& emulated) {
  StandinInterface entry;
  entry.emulated = &emulated;
  entry.fileName = emulated.path;
  const std::string prefix = kPathPrefix;
  if (entry.fileName.compare(0, prefix.size(), prefix) == 0) entry.fileName.erase(0, prefix.size());
  Collection& collection = entry.collection;
  collection.usagePage = emulated.caps.usagePage;
  collection.usage = emulated.caps.usage;
  if (emulated.isConfig) {
    collection.featureReports = {{kShortReportId, static_cast<uint16_t>(kLongReportLength)},
                                 {kLongReportId, static_cast<uint16_t>(kLongReportLength)},
                                 {kUpdateReportId, kUpdateReportLength}};
  } else if (emulated.isMouse && emulated.caps == emulator::kKeyboardCollection) {
    entry.systemFile = kKeyboardSystemFile;
    collection.inputReportLength = kKeyboardInputLength;
    collection.outputReportLength = kKeyboardOutputLength;
  } else if (emulated.isMouse && emulated.caps == emulator::kPointerCollection) {
    entry.systemFile = kPointerSystemFile;
    collection.inputReportLength = kPointerInputLength;
  } else {
    collection.featureReports = {{kOtherReportId, kOtherReportLength}};
  }
  return entry;
}

}  // namespace

LengthMode LengthModeFromText(std::string_view text) {
  return text == "report" ? LengthMode::kReport : LengthMode::kCollection;
}

uint16_t Collection::FeatureReportLength() const {
  uint16_t longest = 0;
  for (const FeatureReport& report : featureReports) longest = std::max(longest, report.length);
  return longest;
}

const std::vector<StandinInterface>& StandinInterfaces() {
  static const std::vector<StandinInterface> interfaces = [] {
    std::vector<StandinInterface> list;
    for (const emulator::EmulatedInterface& emulated : emulator::Interfaces()) list.push_back(Describe(emulated));
    return list;
  }();
  return interfaces;
}

FeatureCheck CheckFeatureRequest(const Collection& collection, LengthMode mode, const uint8_t* buffer,
                                 size_t length) {
  if (length == 0) return {kErrorInvalidUserBuffer, 0};
  if (buffer == nullptr) return {kErrorInvalidParameter, 0};
  const auto report = std::find_if(collection.featureReports.begin(), collection.featureReports.end(),
                                   [&](const FeatureReport& r) { return r.id == buffer[0]; });
  if (report == collection.featureReports.end()) return {kErrorInvalidParameter, 0};
  const size_t required = mode == LengthMode::kCollection ? collection.FeatureReportLength() : report->length;
  if (length < required) return {kErrorInvalidParameter, 0};
  return {kErrorSuccess, report->length};
}

std::string FormatCallLine(CallKind kind, size_t length, std::optional<uint8_t> reportId,
                           std::optional<uint8_t> command, uint32_t error) {
  std::string line = kind == CallKind::kSet ? "SET" : "GET";
  line += " len=" + std::to_string(length);
  line += " id=" + Hex(reportId);
  line += " cmd=" + Hex(command);
  line += " result=" + (error == 0 ? std::string("ok") : "error:" + std::to_string(error));
  line += '\n';
  return line;
}

}  // namespace korvid::standin
