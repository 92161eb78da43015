#pragma once
#include <cstdint>
#include <string>

#include "device/link.h"
#include "profile/device_image.h"

namespace korvid {

enum CommandResult : uint8_t { kCommandOk = 1, kCommandFailed = 2 };

inline constexpr uint8_t kShortReportId = 0xA1;
inline constexpr uint8_t kLongReportId = 0xA0;
inline constexpr int kShortReportLength = 64;
inline constexpr int kLongReportLength = 1041;
inline constexpr int kBlockOffsetInReport = 16;
inline constexpr int kReportCommandByte = 1;
inline constexpr int kReportStatusByte = 1;
inline constexpr int kReportArgumentByte = 5;
inline constexpr int kReplyStatusValueByte = 16;

enum CommandCode : uint8_t {
  kCmdQueryStatus = 0x03,
  kCmdCommitProfile = 0x04,
  kCmdReadConfigBlock = 0x07,
  kCmdWriteConfigBlock = 0x08,
};

inline constexpr uint32_t kQueryStatusPauseMs = 50;
inline constexpr uint32_t kCommitPauseMs = 1500;
inline constexpr uint32_t kBlockPauseMs = 80;

// Any reply answers the status query; a write or a commit succeeds only when
// its reply says the mouse is ready (status 1): a mouse still busy after the
// polls, or answering with another status, has not confirmed it.
uint8_t QueryStatus(LinkState& link, uint8_t& status);
// `requestSent`, when given, tells whether the commit request went out, so
// that a failure can be told apart: refused, or not confirmed.
uint8_t CommitProfile(LinkState& link, uint8_t profileIndex, bool* requestSent = nullptr);
// On success the reply's block is unpacked into `image`; on failure `image`
// is untouched.
uint8_t ReadConfigBlock(LinkState& link, DeviceImage& image);
uint8_t WriteConfigBlock(LinkState& link, const DeviceImage& image, uint8_t profileIndex);
// The same commands on the block's bytes as they are, the bytes the layout
// does not name included.
uint8_t ReadConfigBlockBytes(LinkState& link, ConfigBlock& block);
uint8_t WriteConfigBlockBytes(LinkState& link, const ConfigBlock& block, uint8_t profileIndex);

// The release number read as decimal digits of its hex form: 0x0109 -> 109.
uint16_t FirmwareVersionNumber(const LinkState& link);
// "V1.09" for 109; the text shown while no mouse is found is kNoFirmwareVersion.
std::string FormatFirmwareVersion(uint16_t versionNumber);
inline constexpr char kNoFirmwareVersion[] = "-.--";

}  // namespace korvid
