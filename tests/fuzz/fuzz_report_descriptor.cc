#include "device/hidraw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)korvid::hidraw::TopLevelUsage(data, size);
  return 0;
}
