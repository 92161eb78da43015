#include "tests/standin/linux/hidraw_ioctl.h"

#include <linux/hidraw.h>
#include <linux/input.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device/error_codes.h"

namespace korvid::standin {
namespace {

// The kernel's HID_MAX_BUFFER_SIZE: the longest report a feature ioctl takes.
constexpr size_t kMaxReportLength = 16384;
// The ioctl numbers without their size field, for those that carry a length.
constexpr unsigned kNumberGetName = _IOC_NR(HIDIOCGRAWNAME(0));
constexpr unsigned kNumberSetFeature = _IOC_NR(HIDIOCSFEATURE(0));
constexpr unsigned kNumberGetFeature = _IOC_NR(HIDIOCGFEATURE(0));

int DeviceGone(OpenNode& file) {
  file.gone = true;
  return -ENODEV;
}

// A failed feature call: the device's error as the kernel reports it.
int FeatureFailure(OpenNode& file) {
  const uint32_t code = file.device->LastError();
  if (code == kErrorDeviceNotConnected) return DeviceGone(file);
  return -ErrnoFromWinError(code);
}

int Feature(OpenNode& file, unsigned number, uint8_t* data, size_t length) {
  if (length < 2 || length > kMaxReportLength) return -EINVAL;
  if (number == kNumberSetFeature)
    return file.device->SetFeature(data, length) ? static_cast<int>(length) : FeatureFailure(file);
  const int received = file.device->GetFeature(data, length);
  return received >= 0 ? received : FeatureFailure(file);
}

// What the driver keeps of the device itself: its descriptor, IDs and name.
int Description(const HidrawNode& node, unsigned int command, void* data) {
  if (command == HIDIOCGRDESCSIZE) {
    const int size = static_cast<int>(node.descriptor.size());
    std::memcpy(data, &size, sizeof size);
    return 0;
  }
  if (command == HIDIOCGRDESC) {
    // The caller's size field does not travel in (the command only reads),
    // so the whole descriptor comes back with its size.
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<uint32_t>(std::min<size_t>(node.descriptor.size(), HID_MAX_DESCRIPTOR_SIZE));
    std::copy_n(node.descriptor.begin(), descriptor.size, descriptor.value);
    std::memcpy(data, &descriptor, sizeof descriptor);
    return 0;
  }
  if (command == HIDIOCGRAWINFO) {
    hidraw_devinfo info{};
    info.bustype = BUS_USB;
    info.vendor = static_cast<int16_t>(node.backing.attributes.vendorId);
    info.product = static_cast<int16_t>(node.backing.attributes.productId);
    std::memcpy(data, &info, sizeof info);
    return 0;
  }
  if (_IOC_NR(command) == kNumberGetName && _IOC_DIR(command) == _IOC_READ) {
    const size_t length = std::min(node.productName.size() + 1, static_cast<size_t>(_IOC_SIZE(command)));
    std::memcpy(data, node.productName.c_str(), length);
    return static_cast<int>(length);
  }
  return -ENOTTY;
}

}  // namespace

int ErrnoFromWinError(uint32_t code) {
  switch (code) {
    case kErrorDeviceNotConnected: return ENODEV;
    case kErrorGenFailure: return EPIPE;
    case kErrorInvalidFunction: return EPIPE;  // a report the interface does not have: stalled
    case kErrorInvalidParameter: return EINVAL;
    case kErrorNotReady: return ETIMEDOUT;
    case kErrorCrc: return EPROTO;
    case kErrorAccessDenied: return EACCES;
    case kErrorSharingViolation: return EBUSY;
    default: return EIO;
  }
}

int AnswerIoctl(OpenNode& file, unsigned int command, void* data, bool present) {
  if (_IOC_TYPE(command) != 'H') return -EINVAL;
  if (file.gone || !present) return DeviceGone(file);
  const unsigned number = _IOC_NR(command);
  if ((number == kNumberSetFeature || number == kNumberGetFeature) &&
      _IOC_DIR(command) == (_IOC_READ | _IOC_WRITE))
    return Feature(file, number, static_cast<uint8_t*>(data), _IOC_SIZE(command));
  return Description(*file.node, command, data);
}

}  // namespace korvid::standin
