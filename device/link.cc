#include "device/link.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "device/commands.h"
#include "device/error_codes.h"

namespace korvid {

namespace {

void SleepOnLink(LinkState& link, uint32_t milliseconds) {
  if (link.port) link.port->Sleep(milliseconds);
}

// One set-feature. Without a held handle the attempt fails with
// kErrorInvalidHandle, which is not retried.
bool SetOnce(LinkState& link, uint8_t* buffer, int length, uint32_t& error) {
  if (!link.handle) {
    error = kErrorInvalidHandle;
    return false;
  }
  if (link.handle->SetFeature(buffer, static_cast<size_t>(length))) return true;
  error = link.handle->LastError();
  return false;
}

// One get-feature. A reply of any other size than asked for is a failed read.
bool GetOnce(LinkState& link, uint8_t* buffer, int length, uint32_t& error) {
  if (!link.handle) {
    error = kErrorInvalidHandle;
    return false;
  }
  int received = link.handle->GetFeature(buffer, static_cast<size_t>(length));
  if (received < 0) {
    error = link.handle->LastError();
    return false;
  }
  if (received != length) {
    error = kErrorInvalidData;
    return false;
  }
  return true;
}

using Attempt = bool (*)(LinkState&, uint8_t*, int, uint32_t&);

// After a first failure with a transient code: up to kSendRetries further
// attempts, the buffer restored before each, a pause after each failed one.
// `error` ends as the code of the last failed attempt.
bool RetryAfterFailure(LinkState& link, Attempt attempt, uint8_t* buffer, int length,
                       const std::vector<uint8_t>& original, uint32_t& error) {
  if (!IsTransientError(error)) return false;
  for (int retry = 0; retry < kSendRetries; ++retry) {
    std::memcpy(buffer, original.data(), original.size());
    if (attempt(link, buffer, length, error)) return true;
    SleepOnLink(link, kRetrySleepMs);
  }
  return false;
}

bool ValidBuffer(int length, const uint8_t* buffer) { return buffer != nullptr && length > 0; }

int Finish(LinkState& link, bool ok, uint32_t error) {
  link.lastError = ok ? kErrorSuccess : error;
  return ok ? 1 : 0;
}

}  // namespace

namespace {

bool IsConfigInterface(const HidInterfaceInfo& info, uint16_t vendorId, uint16_t productId) {
  if (info.attributes.vendorId != vendorId || info.attributes.productId != productId) return false;
  return std::find(info.collections.begin(), info.collections.end(), HidCaps{kConfigUsagePage, kConfigUsage}) !=
         info.collections.end();
}

// Why the mouse's interface could not be opened, as the link reports it:
// another program holds it, or the user may not open it.
bool IsOpenFailureToReport(uint32_t error) {
  return error == kErrorSharingViolation || error == kErrorAccessDenied;
}

}  // namespace

int OpenConfigInterface(LinkState& link, uint16_t vendorId, uint16_t productId) {
  link.handle.reset();
  link.path.clear();
  link.lastError = kErrorSuccess;
  link.refusedPath.clear();
  if (!link.port) return 0;
  for (const std::string& path : link.port->EnumerateInterfaces()) {
    HidInterfaceInfo info;
    if (!link.port->Describe(path, info) || !IsConfigInterface(info, vendorId, productId)) continue;
    std::unique_ptr<HidDevice> device = link.port->Open(path);
    if (!device) {
      const uint32_t error = link.port->LastOpenError();
      if (IsOpenFailureToReport(error) && link.refusedPath.empty()) {
        link.lastError = error;
        link.refusedPath = path;
      }
      continue;
    }
    link.handle = std::move(device);
    link.path = path;
    link.connected = 1;
    link.versionNumber = info.attributes.versionNumber;
    link.lastError = kErrorSuccess;
    link.refusedPath.clear();
    return 1;
  }
  return 0;
}

int SendFeatureReport(LinkState& link, int length, uint8_t* buffer) {
  if (!ValidBuffer(length, buffer)) return Finish(link, false, kErrorInvalidParameter);
  const std::vector<uint8_t> original(buffer, buffer + length);
  uint32_t error = kErrorSuccess;
  if (SetOnce(link, buffer, length, error)) return Finish(link, true, error);
  const bool retried = RetryAfterFailure(link, SetOnce, buffer, length, original, error);
  return Finish(link, retried, error);
}

int ReadFeatureReport(LinkState& link, int length, uint8_t* buffer) {
  if (!ValidBuffer(length, buffer)) return Finish(link, false, kErrorInvalidParameter);
  const std::vector<uint8_t> original(buffer, buffer + length);
  uint32_t error = kErrorSuccess;
  if (!GetOnce(link, buffer, length, error)) {
    const bool retried = RetryAfterFailure(link, GetOnce, buffer, length, original, error);
    return Finish(link, retried, error);
  }

  // A one-byte report carries no status.
  if (length <= kReportStatusByte || buffer[kReportStatusByte] != kStatusBusy) return Finish(link, true, error);

  bool lastReadOk = true;
  for (int poll = 0; poll < kBusyPolls; ++poll) {
    std::memcpy(buffer, original.data(), original.size());
    lastReadOk = GetOnce(link, buffer, length, error);
    if (!lastReadOk) continue;
    if (buffer[kReportStatusByte] == kStatusReady) return Finish(link, true, error);
    if (buffer[kReportStatusByte] == kStatusBusy) SleepOnLink(link, static_cast<uint32_t>(poll) * kBusyPollStepMs);
  }
  return Finish(link, lastReadOk, error);
}

int CloseConfigInterface(LinkState& link) {
  link.connected = 0;
  DropConfigHandle(link);
  return 1;
}

void DropConfigHandle(LinkState& link) {
  link.handle.reset();
  link.path.clear();
}

}  // namespace korvid
