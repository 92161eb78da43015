#pragma once
#include <cstdint>
#include <memory>

#include "device/hid_port.h"
#include "tests/standin/linux/hidraw_nodes.h"

// The hidraw driver's answers to the HID ioctls (linux/hidraw.h), given on a
// node of the stand-in by its emulated interface.
namespace korvid::standin {

// One open file of a node.
struct OpenNode {
  const HidrawNode* node = nullptr;
  std::unique_ptr<HidDevice> device;
  // The device went away while the file was open: the file stays dead, as
  // the kernel's does, also once the device is back.
  bool gone = false;
};

// The errno the kernel reports where the emulated mouse fails with a Windows
// error code: 1167 ENODEV, 31 EPIPE (a stalled request), 87 EINVAL,
// 21 ETIMEDOUT, 23 EPROTO, 1627 and any other EIO; for opens 5 EACCES and
// 32 EBUSY.
int ErrnoFromWinError(uint32_t code);

// One ioctl on `file`. `data` holds _IOC_SIZE(command) bytes: the request
// on entry for the commands that write, the answer on return for those that
// read. `present` tells whether the device is there now. Returns what the
// kernel's ioctl returns: 0 or a byte count, or a negative errno.
int AnswerIoctl(OpenNode& file, unsigned int command, void* data, bool present);

}  // namespace korvid::standin
