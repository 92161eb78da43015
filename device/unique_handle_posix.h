#pragma once
#include <unistd.h>

#include "device/unique_handle.h"

namespace korvid {

struct FileDescriptorTraits {
  using Type = int;
  static constexpr int None() { return -1; }
  static bool Valid(int fd) { return fd >= 0; }
  static void Close(int fd) { ::close(fd); }
};
// An open file descriptor, closed with close().
using FileDescriptor = UniqueHandle<FileDescriptorTraits>;

}  // namespace korvid
