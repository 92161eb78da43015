#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "device/hid_port.h"

namespace korvid {

inline constexpr uint16_t kConfigUsagePage = 0xFF01;
inline constexpr uint16_t kConfigUsage = 0x0002;

inline constexpr int kSendRetries = 3;
inline constexpr uint32_t kRetrySleepMs = 50;
inline constexpr int kBusyPolls = 10;
inline constexpr uint32_t kBusyPollStepMs = 100;

inline constexpr uint8_t kStatusReady = 1;
inline constexpr uint8_t kStatusBusy = 4;

// The one link to the mouse's configuration interface.
struct LinkState {
  HidPort* port = nullptr;             // not owned
  std::unique_ptr<HidDevice> handle;   // null when none is held
  uint16_t connected = 0;
  uint32_t versionNumber = 0;          // bcdDevice of the matched interface
  std::string path;                    // interface path of the held handle
  // After a failed discovery: the mouse's configuration interface that was
  // found but could not be opened (lastError says why); empty otherwise.
  std::string refusedPath;
  // Windows error code of the last failed attempt of the last report
  // exchange; kErrorSuccess (0) after one that went through.
  uint32_t lastError = 0;
  // How long an operation of the device session waits for another program
  // to finish with the mouse (device/mouse_lock.h): longer than any one
  // transaction takes (a read and an apply with its commit, about 2 s).
  uint32_t lockWaitMs = 10000;
  // Whether an operation stops when the mouse's lock cannot be made (not
  // when it is busy: that always stops it). Off, it goes on without.
  bool requireLock = true;
};

// Discovery: closes any held handle, then looks at each present interface
// without opening it for reports, and opens read-write the first with the
// given IDs among whose top-level collections is usage page 0xFF01, usage 2.
// 1 when found (handle held, connected 1, versionNumber set), else 0 with no
// handle held; then lastError is kErrorSharingViolation (another program
// holds the interface) or kErrorAccessDenied (the user may not open it)
// with refusedPath naming the interface, else kErrorSuccess.
int OpenConfigInterface(LinkState& link, uint16_t vendorId, uint16_t productId);
// One set-feature with up to three retries on the transient error codes; a
// refused request (device/error_codes.h) is not tried again.
// 1 on success, 0 on failure. Both exchanges leave their outcome's error
// code in lastError.
int SendFeatureReport(LinkState& link, int length, uint8_t* buffer);
// One get-feature with the busy poll and the retries. A reply shorter than
// `length` is a failure. 1 on success, 0 on failure.
int ReadFeatureReport(LinkState& link, int length, uint8_t* buffer);
// Clears connected, closes and forgets the handle. Always 1.
int CloseConfigInterface(LinkState& link);
// Closes and forgets the handle, leaving connected as it is.
void DropConfigHandle(LinkState& link);

}  // namespace korvid
