#include "device/hidraw_transport.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "device/error_codes.h"
#include "device/report_descriptor.h"
#include "device/unique_handle_posix.h"

namespace korvid::hidraw {
namespace {

// errno of the last call as a Windows error code.
uint32_t LastErrnoAsWinError() { return ErrnoToWinError(errno); }

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

}  // namespace

std::unique_ptr<HidDevice> OpenNode(const std::string& path, uint32_t& error) {
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd) {
    error = LastErrnoAsWinError();
    return nullptr;
  }
  return std::make_unique<HidrawDevice>(std::move(fd));
}

bool DescribeThroughNode(const std::string& path, HidInterfaceInfo& info, uint32_t& error) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) {
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

}  // namespace korvid::hidraw
