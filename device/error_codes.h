#pragma once
#include <cstdint>

namespace korvid {

// Windows system error codes, the one numbering the link judges failures by.
enum WinError : uint32_t {
  kErrorSuccess = 0,
  kErrorInvalidFunction = 1,
  kErrorFileNotFound = 2,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorInvalidData = 13,
  kErrorNotReady = 21,
  kErrorCrc = 23,
  kErrorSharingViolation = 32,
  kErrorWriteFault = 29,
  kErrorGenFailure = 31,
  kErrorInvalidParameter = 87,
  kErrorDeviceNotConnected = 1167,
  kErrorFunctionFailed = 1627,
};

// The codes after which a feature report is tried again: the mouse or the
// line was not ready, or a transfer was garbled.
bool IsTransientError(uint32_t code);
// The codes of a request the system or the mouse refused (a malformed
// request, a stalled one): sending it again cannot help.
bool IsRefusalError(uint32_t code);

}  // namespace korvid
