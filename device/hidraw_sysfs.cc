#include "device/hidraw_sysfs.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "device/report_descriptor.h"

namespace korvid::hidraw {

namespace fs = std::filesystem;

namespace {

constexpr char kHidrawPrefix[] = "hidraw";
constexpr char kHidIdKey[] = "HID_ID=";
constexpr char kUeventFile[] = "uevent";
constexpr char kReportDescriptorFile[] = "report_descriptor";
constexpr char kReleaseNumberFile[] = "bcdDevice";
// The kernel's HID_MAX_DESCRIPTOR_SIZE.
constexpr size_t kMaxDescriptorSize = 4096;
constexpr size_t kMaxTextFileSize = 4096;

fs::path HidrawClassFolder(const fs::path& sysfsRoot) { return sysfsRoot / "class" / "hidraw"; }

unsigned long NodeNumber(const std::string& name) { return std::stoul(name.substr(sizeof kHidrawPrefix - 1)); }

std::optional<std::string> ReadSmallFile(const fs::path& path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content;
  char chunk[512];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    content.append(chunk, static_cast<size_t>(in.gcount()));
    if (content.size() > limit) return std::nullopt;
  }
  return content;
}

// Hex digits up to the end or a line break; nothing for anything else or a
// value above `maximum`.
std::optional<uint32_t> ParseHex(const std::string& text, uint32_t maximum) {
  std::string digits = text.substr(0, text.find_first_of("\r\n"));
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    else return std::nullopt;
    value = value << 4 | digit;
  }
  if (value > maximum) return std::nullopt;
  return value;
}

// HID_ID=BBBB:VVVVVVVV:PPPPPPPP (bus, vendor, product in hex).
std::optional<HidAttributes> ParseHidId(const std::string& uevent) {
  size_t lineStart = 0;
  while (lineStart < uevent.size()) {
    size_t lineEnd = uevent.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = uevent.size();
    std::string line = uevent.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (line.rfind(kHidIdKey, 0) != 0) continue;
    std::string value = line.substr(sizeof kHidIdKey - 1);
    size_t first = value.find(':');
    size_t second = first == std::string::npos ? std::string::npos : value.find(':', first + 1);
    if (second == std::string::npos) return std::nullopt;
    auto bus = ParseHex(value.substr(0, first), 0xFFFF);
    auto vendor = ParseHex(value.substr(first + 1, second - first - 1), 0xFFFF);
    auto product = ParseHex(value.substr(second + 1), 0xFFFF);
    if (!bus || !vendor || !product) return std::nullopt;
    HidAttributes attributes;
    attributes.vendorId = static_cast<uint16_t>(*vendor);
    attributes.productId = static_cast<uint16_t>(*product);
    return attributes;
  }
  return std::nullopt;
}

// The bcdDevice of the nearest ancestor of `hidDevice` (the USB device) that
// has one, without leaving the sysfs tree; 0 when there is none.
uint16_t ReleaseNumber(const fs::path& hidDevice, const fs::path& sysfsRoot) {
  std::error_code ec;
  const fs::path root = fs::canonical(sysfsRoot, ec);
  if (ec) return 0;
  for (fs::path folder = hidDevice.parent_path(); folder != root && folder.has_relative_path();
       folder = folder.parent_path()) {
    const fs::path file = folder / kReleaseNumberFile;
    if (!fs::is_regular_file(file, ec)) continue;
    auto text = ReadSmallFile(file, kMaxTextFileSize);
    auto value = text ? ParseHex(*text, 0xFFFF) : std::nullopt;
    return value ? static_cast<uint16_t>(*value) : 0;
  }
  return 0;
}

}  // namespace

bool IsNodeName(const std::string& name) {
  const size_t prefixLength = sizeof kHidrawPrefix - 1;
  if (name.size() <= prefixLength || name.size() > prefixLength + 9) return false;
  if (name.compare(0, prefixLength, kHidrawPrefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefixLength), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<SysfsInfo> ReadSysfsInfo(const fs::path& sysfsRoot, const std::string& name) {
  if (!IsNodeName(name)) return std::nullopt;
  std::error_code ec;
  const fs::path hidDevice = fs::canonical(HidrawClassFolder(sysfsRoot) / name / "device", ec);
  if (ec) return std::nullopt;

  auto uevent = ReadSmallFile(hidDevice / kUeventFile, kMaxTextFileSize);
  if (!uevent) return std::nullopt;
  auto attributes = ParseHidId(*uevent);
  if (!attributes) return std::nullopt;

  SysfsInfo info;
  info.attributes = *attributes;
  info.attributes.versionNumber = ReleaseNumber(hidDevice, sysfsRoot);
  if (auto descriptor = ReadSmallFile(hidDevice / kReportDescriptorFile, kMaxDescriptorSize))
    info.collections = TopLevelUsages(reinterpret_cast<const uint8_t*>(descriptor->data()), descriptor->size());
  return info;
}

std::vector<std::string> ListHidrawNodes(const fs::path& sysfsRoot) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(HidrawClassFolder(sysfsRoot), ec);
  if (ec) return names;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::string name = it->path().filename().string();
    if (IsNodeName(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NodeNumber(a) < NodeNumber(b); });
  return names;
}

}  // namespace korvid::hidraw
