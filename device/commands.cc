#include "device/commands.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace korvid {

namespace {

using ShortReport = std::array<uint8_t, kShortReportLength>;
using LongReport = std::array<uint8_t, kLongReportLength>;

void Pause(LinkState& link, uint32_t milliseconds) {
  if (link.port) link.port->Sleep(milliseconds);
}

ShortReport ShortRequest(CommandCode command, uint8_t argument = 0) {
  ShortReport request{};
  request[0] = kShortReportId;
  request[kReportCommandByte] = command;
  request[kReportArgumentByte] = argument;
  return request;
}

template <size_t N>
std::array<uint8_t, N> EmptyReply() {
  std::array<uint8_t, N> reply{};
  reply[0] = kShortReportId;
  return reply;
}

template <size_t N>
bool Send(LinkState& link, std::array<uint8_t, N>& report) {
  return SendFeatureReport(link, static_cast<int>(N), report.data()) == 1;
}

template <size_t N>
bool Read(LinkState& link, std::array<uint8_t, N>& reply) {
  return ReadFeatureReport(link, static_cast<int>(N), reply.data()) == 1;
}

// The reply to a write or a commit confirms it only when it says the mouse is
// ready: one still busy after the polls, or with any other status, has not
// taken the request.
bool ReadConfirmation(LinkState& link, ShortReport& reply) {
  return Read(link, reply) && reply[kReportStatusByte] == kStatusReady;
}

}  // namespace

uint8_t QueryStatus(LinkState& link, uint8_t& status) {
  ShortReport request = ShortRequest(kCmdQueryStatus);
  if (!Send(link, request)) return kCommandFailed;
  Pause(link, kQueryStatusPauseMs);
  ShortReport reply = EmptyReply<kShortReportLength>();
  if (!Read(link, reply)) return kCommandFailed;
  status = reply[kReplyStatusValueByte];
  return kCommandOk;
}

uint8_t CommitProfile(LinkState& link, uint8_t profileIndex, bool* requestSent) {
  ShortReport request = ShortRequest(kCmdCommitProfile, profileIndex);
  const bool sent = Send(link, request);
  if (requestSent) *requestSent = sent;
  if (!sent) return kCommandFailed;
  Pause(link, kCommitPauseMs);
  ShortReport reply = EmptyReply<kShortReportLength>();
  return ReadConfirmation(link, reply) ? kCommandOk : kCommandFailed;
}

uint8_t ReadConfigBlock(LinkState& link, DeviceImage& image) {
  ConfigBlock block{};
  if (ReadConfigBlockBytes(link, block) != kCommandOk) return kCommandFailed;
  image = UnpackBlock(block);
  return kCommandOk;
}

uint8_t ReadConfigBlockBytes(LinkState& link, ConfigBlock& block) {
  ShortReport request = ShortRequest(kCmdReadConfigBlock);
  const bool sent = Send(link, request);
  Pause(link, kBlockPauseMs);
  if (!sent) return kCommandFailed;
  LongReport reply = EmptyReply<kLongReportLength>();
  if (!Read(link, reply) || reply[kReportStatusByte] != kStatusReady) return kCommandFailed;
  std::copy_n(reply.begin() + kBlockOffsetInReport, kBlockSize, block.begin());
  return kCommandOk;
}

uint8_t WriteConfigBlock(LinkState& link, const DeviceImage& image, uint8_t profileIndex) {
  return WriteConfigBlockBytes(link, PackBlock(image), profileIndex);
}

uint8_t WriteConfigBlockBytes(LinkState& link, const ConfigBlock& block, uint8_t profileIndex) {
  LongReport request{};
  request[0] = kLongReportId;
  request[kReportCommandByte] = kCmdWriteConfigBlock;
  request[kReportArgumentByte] = profileIndex;
  std::copy(block.begin(), block.end(), request.begin() + kBlockOffsetInReport);
  static_assert(kBlockOffsetInReport + kBlockSize < kLongReportLength, "the last byte of the long report stays 0");
  const bool sent = Send(link, request);
  Pause(link, kBlockPauseMs);
  if (!sent) return kCommandFailed;
  ShortReport reply = EmptyReply<kShortReportLength>();
  return ReadConfirmation(link, reply) ? kCommandOk : kCommandFailed;
}

uint16_t FirmwareVersionNumber(const LinkState& link) {
  char hex[16] = {};
  std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(link.versionNumber));
  // At most eight hex digits, so the decimal reading fits easily.
  int64_t number = 0;
  for (const char* digit = hex; *digit >= '0' && *digit <= '9'; ++digit) number = number * 10 + (*digit - '0');
  return static_cast<uint16_t>(number & 0xFFFF);
}

std::string FormatFirmwareVersion(uint16_t versionNumber) {
  const float version = static_cast<float>(versionNumber / 100.0);
  char text[32] = {};
  std::snprintf(text, sizeof text, "V%.2f", static_cast<double>(version));
  return text;
}

}  // namespace korvid
