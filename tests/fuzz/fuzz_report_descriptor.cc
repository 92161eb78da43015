#include "device/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)korvid::TopLevelUsage(data, size);
  return 0;
}
