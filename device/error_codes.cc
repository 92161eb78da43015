#include "device/error_codes.h"

namespace korvid {

bool IsTransientError(uint32_t code) {
  switch (code) {
    case kErrorNotReady:
    case kErrorCrc:
    case kErrorWriteFault:
    case kErrorFunctionFailed:
      return true;
    default:
      return false;
  }
}

bool IsRefusalError(uint32_t code) { return code == kErrorInvalidParameter || code == kErrorGenFailure; }

}  // namespace korvid
