#include "device/link.h"

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
bool RetryAfterFailure(LinkState& link, Attempt attempt, uint8_t* buffer, int length,
                       const std::vector<uint8_t>& original, uint32_t firstError) {
  if (!IsTransientError(firstError)) return false;
  for (int retry = 0; retry < kSendRetries; ++retry) {
    std::memcpy(buffer, original.data(), original.size());
    uint32_t error = kErrorSuccess;
    if (attempt(link, buffer, length, error)) return true;
    SleepOnLink(link, kRetrySleepMs);
  }
  return false;
}

bool ValidBuffer(int length, const uint8_t* buffer) { return buffer != nullptr && length > 0; }

}  // namespace

int OpenConfigInterface(LinkState& link, uint16_t vendorId, uint16_t productId) {
  link.handle.reset();
  link.path.clear();
  if (!link.port) return 0;
  for (const std::string& path : link.port->EnumerateInterfaces()) {
    std::unique_ptr<HidDevice> device = link.port->Open(path);
    if (!device) continue;
    HidAttributes attributes;
    if (!device->GetAttributes(attributes)) continue;
    if (attributes.vendorId != vendorId || attributes.productId != productId) continue;
    HidCaps caps;
    if (!device->GetCaps(caps)) continue;
    if (caps.usagePage != kConfigUsagePage || caps.usage != kConfigUsage) continue;
    link.handle = std::move(device);
    link.path = path;
    link.connected = 1;
    link.versionNumber = attributes.versionNumber;
    return 1;
  }
  return 0;
}

int SendFeatureReport(LinkState& link, int length, uint8_t* buffer) {
  if (!ValidBuffer(length, buffer)) return 0;
  const std::vector<uint8_t> original(buffer, buffer + length);
  uint32_t error = kErrorSuccess;
  if (SetOnce(link, buffer, length, error)) return 1;
  return RetryAfterFailure(link, SetOnce, buffer, length, original, error) ? 1 : 0;
}

int ReadFeatureReport(LinkState& link, int length, uint8_t* buffer) {
  if (!ValidBuffer(length, buffer)) return 0;
  const std::vector<uint8_t> original(buffer, buffer + length);
  uint32_t error = kErrorSuccess;
  if (!GetOnce(link, buffer, length, error))
    return RetryAfterFailure(link, GetOnce, buffer, length, original, error) ? 1 : 0;

  // A one-byte report carries no status.
  if (length <= kReportStatusByte || buffer[kReportStatusByte] != kStatusBusy) return 1;

  bool lastReadOk = true;
  for (int poll = 0; poll < kBusyPolls; ++poll) {
    std::memcpy(buffer, original.data(), original.size());
    lastReadOk = GetOnce(link, buffer, length, error);
    if (!lastReadOk) continue;
    if (buffer[kReportStatusByte] == kStatusReady) return 1;
    if (buffer[kReportStatusByte] == kStatusBusy) SleepOnLink(link, static_cast<uint32_t>(poll) * kBusyPollStepMs);
  }
  return lastReadOk ? 1 : 0;
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
