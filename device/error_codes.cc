#include "device/error_codes.h"

namespace korvid {

bool IsTransientError(uint32_t code) {
  switch (code) {
    case kErrorNotReady:
    case kErrorCrc:
    case kErrorWriteFault:
    case kErrorInvalidParameter:
    case kErrorFunctionFailed:
      return true;
    default:
      return false;
  }
}

}  // namespace korvid
