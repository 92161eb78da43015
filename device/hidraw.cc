#include "device/hidraw.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "device/error_codes.h"

namespace korvid::hidraw {

namespace fs = std::filesystem;

namespace {

// ---- report descriptor ----------------------------------------------------

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

// ---- sysfs ----------------------------------------------------------------

constexpr char kHidrawPrefix[] = "hidraw";
constexpr char kHidIdKey[] = "HID_ID=";
constexpr char kUeventFile[] = "uevent";
constexpr char kReportDescriptorFile[] = "report_descriptor";
constexpr char kReleaseNumberFile[] = "bcdDevice";
// The kernel's HID_MAX_DESCRIPTOR_SIZE.
constexpr size_t kMaxDescriptorSize = 4096;
constexpr size_t kMaxTextFileSize = 4096;

fs::path HidrawClassFolder(const fs::path& sysfsRoot) { return sysfsRoot / "class" / "hidraw"; }

// "hidraw" followed by decimal digits only; anything else (a path, "..")
// is not a node name.
bool IsNodeName(const std::string& name) {
  const size_t prefixLength = sizeof kHidrawPrefix - 1;
  if (name.size() <= prefixLength || name.size() > prefixLength + 9) return false;
  if (name.compare(0, prefixLength, kHidrawPrefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefixLength), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

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

// errno of the last call as a Windows error code.
uint32_t LastErrnoAsWinError() { return ErrnoToWinError(errno); }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor& operator=(FileDescriptor&&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The ioctl size field holds 14 bits.
constexpr size_t kMaxIoctlLength = (1u << 14) - 1;

int IoctlRetryingInterrupts(int fd, unsigned long request, void* argument) {
  int result;
  do {
    result = ::ioctl(fd, request, argument);
  } while (result < 0 && errno == EINTR);
  return result;
}

class HidrawDevice : public HidDevice {
 public:
  explicit HidrawDevice(FileDescriptor&& fd) : fd_(std::move(fd)) {}

  bool SetFeature(uint8_t* data, size_t length) override {
    if (data == nullptr || length == 0 || length > kMaxIoctlLength) return Fail(kErrorInvalidParameter);
    if (IoctlRetryingInterrupts(fd_.get(), HIDIOCSFEATURE(length), data) < 0) return Fail(LastErrnoAsWinError());
    return true;
  }

  int GetFeature(uint8_t* data, size_t length) override {
    if (data == nullptr || length == 0 || length > kMaxIoctlLength) {
      Fail(kErrorInvalidParameter);
      return -1;
    }
    int received = IoctlRetryingInterrupts(fd_.get(), HIDIOCGFEATURE(length), data);
    if (received < 0) {
      Fail(LastErrnoAsWinError());
      return -1;
    }
    return std::min(received, static_cast<int>(length));
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  bool Fail(uint32_t code) {
    lastError_ = code;
    return false;
  }

  FileDescriptor fd_;
  uint32_t lastError_ = kErrorSuccess;
};

// What the node itself tells through its ioctls, for a system without sysfs
// (a container, say); the release number is then unknown.
bool DescribeThroughNode(const std::string& path, HidInterfaceInfo& info, uint32_t& error) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    error = LastErrnoAsWinError();
    return false;
  }
  hidraw_devinfo devinfo{};
  int size = 0;
  hidraw_report_descriptor descriptor{};
  if (IoctlRetryingInterrupts(fd.get(), HIDIOCGRAWINFO, &devinfo) < 0 ||
      IoctlRetryingInterrupts(fd.get(), HIDIOCGRDESCSIZE, &size) < 0) {
    error = LastErrnoAsWinError();
    return false;
  }
  descriptor.size = static_cast<uint32_t>(std::clamp(size, 0, HID_MAX_DESCRIPTOR_SIZE));
  if (IoctlRetryingInterrupts(fd.get(), HIDIOCGRDESC, &descriptor) < 0) {
    error = LastErrnoAsWinError();
    return false;
  }
  info.attributes = HidAttributes{};
  info.attributes.vendorId = static_cast<uint16_t>(devinfo.vendor);
  info.attributes.productId = static_cast<uint16_t>(devinfo.product);
  info.collections = TopLevelUsages(descriptor.value, descriptor.size);
  return true;
}

class HidrawPort : public HidPort {
 public:
  HidrawPort(fs::path sysfsRoot, fs::path devRoot) : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

  std::vector<std::string> EnumerateInterfaces() override {
    std::vector<std::string> paths;
    for (const std::string& name : ListHidrawNodes(sysfsRoot_)) paths.push_back((devRoot_ / name).string());
    return paths;
  }

  bool Describe(const std::string& path, HidInterfaceInfo& info) override {
    const std::string name = fs::path(path).filename().string();
    if (!IsNodeName(name)) return false;
    if (auto sysfs = ReadSysfsInfo(sysfsRoot_, name)) {
      info.attributes = sysfs->attributes;
      info.collections = sysfs->collections;
      return true;
    }
    return DescribeThroughNode(path, info, lastOpenError_);
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    lastOpenError_ = 0;
    if (!IsNodeName(fs::path(path).filename().string())) {
      lastOpenError_ = kErrorFileNotFound;
      return nullptr;
    }
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) {
      lastOpenError_ = LastErrnoAsWinError();
      return nullptr;
    }
    return std::make_unique<HidrawDevice>(std::move(fd));
  }

  uint32_t LastOpenError() const override { return lastOpenError_; }

  void Sleep(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
  // The device node itself: flock on it is seen by every program that uses it.
  std::string LockKey(const std::string& path) override { return path; }

 private:
  fs::path sysfsRoot_;
  fs::path devRoot_;
  uint32_t lastOpenError_ = 0;
};

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

// errno after a hidraw call, as the Windows code HID.DLL gives for the same
// situation; the link judges retries by these codes.
//
//   errno                      Windows code                     retried
//   EAGAIN, EBUSY, ETIMEDOUT   21   ERROR_NOT_READY             yes
//   EPROTO                     23   ERROR_CRC (garbled)         yes
//   EIO                        1627 ERROR_FUNCTION_FAILED       yes
//   EPIPE                      31   ERROR_GEN_FAILURE (stalled) no: refused
//   EINVAL, EMSGSIZE           87   ERROR_INVALID_PARAMETER     no: refused
//   ENODEV, ENXIO, ESHUTDOWN   1167 ERROR_DEVICE_NOT_CONNECTED  no
//   EACCES, EPERM              5    ERROR_ACCESS_DENIED         no
//   ENOENT                     2    ERROR_FILE_NOT_FOUND        no
//   anything else              31   ERROR_GEN_FAILURE           no
uint32_t ErrnoToWinError(int error) {
  switch (error) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EBUSY:
    case ETIMEDOUT:
      return kErrorNotReady;
    case EPROTO:
      return kErrorCrc;
    case EPIPE:
      return kErrorGenFailure;
    case EIO:
      return kErrorFunctionFailed;
    case EINVAL:
    case EMSGSIZE:
      return kErrorInvalidParameter;
    case ENODEV:
    case ENXIO:
    case ESHUTDOWN:
      return kErrorDeviceNotConnected;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOENT:
      return kErrorFileNotFound;
    default:
      return kErrorGenFailure;
  }
}

std::unique_ptr<HidPort> MakeHidrawPort(const fs::path& sysfsRoot, const fs::path& devRoot) {
  return std::make_unique<HidrawPort>(sysfsRoot, devRoot);
}

}  // namespace korvid::hidraw

namespace korvid {

std::unique_ptr<HidPort> MakePlatformHidPort() { return hidraw::MakeHidrawPort(); }

}  // namespace korvid
