#include "device/commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "device/error_codes.h"
#include "tests/device/fake_hid.h"

namespace korvid {
namespace {

using testing::FailWith;
using testing::FakeInterface;
using testing::FakePort;
using testing::FakeResult;
using testing::MouseConfigInterface;
using testing::OpenMouseConfig;
using testing::ReplyWithStatus;
using testing::ShortReply;
using testing::Succeed;
using Log = std::vector<std::string>;

// A block whose every byte differs from its neighbours, so that an offset
// error shows.
ConfigBlock PatternBlock() {
  ConfigBlock block{};
  for (int i = 0; i < kBlockSize; ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
  return block;
}

DeviceImage SampleImage() {
  DeviceImage image{};
  image.profileIndex = 2;
  image.blockLength = kBlockLengthValue;
  image.cpi[0] = {0, 800, 800};
  image.cpiLeds[1] = {0x10, 0x20, 0x30, 0x01};
  image.liftOffDistance = 1;
  image.buttons[3] = {1, 0x04, 0, 0, kBindingMarker};
  return image;
}

FakeResult BlockReply(uint8_t status, const ConfigBlock& block) {
  FakeResult reply = ReplyWithStatus(status, kLongReportLength);
  std::copy(block.begin(), block.end(), reply.reply.begin() + kBlockOffsetInReport);
  return reply;
}

std::vector<uint8_t> ShortRequestBytes(uint8_t command, uint8_t argument = 0) {
  std::vector<uint8_t> request(kShortReportLength, 0);
  request[0] = kShortReportId;
  request[1] = command;
  request[5] = argument;
  return request;
}

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link.port = &port;
    port.interfaces = {MouseConfigInterface()};
    ASSERT_EQ(OpenMouseConfig(link), 1);
    port.TakeLog();
  }
  void TearDown() override {
    EXPECT_TRUE(port.setScript.empty()) << "scripted set answers left over";
    EXPECT_TRUE(port.getScript.empty()) << "scripted get answers left over";
  }

  FakePort port;
  LinkState link;
};

// ---- each command's exchange ----------------------------------------------

struct CommandCase {
  const char* name;
  std::function<uint8_t(LinkState&)> run;
  std::vector<uint8_t> request;
  std::vector<FakeResult> sets;
  std::vector<FakeResult> gets;
  uint8_t result;
  Log log;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

uint8_t RunQueryStatus(LinkState& link) {
  uint8_t status = 0;
  return QueryStatus(link, status);
}
uint8_t RunCommit(LinkState& link) { return CommitProfile(link, 3); }
uint8_t RunReadBlock(LinkState& link) {
  DeviceImage image{};
  return ReadConfigBlock(link, image);
}
uint8_t RunWriteBlock(LinkState& link) { return WriteConfigBlock(link, SampleImage(), 2); }

const FakeResult kReady = ReplyWithStatus(kStatusReady);
const FakeResult kOtherStatus = ReplyWithStatus(2);
const FakeResult kDenied = FailWith(kErrorAccessDenied);

class CommandExchangeTest : public CommandsTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandExchangeTest, RequestCallsAndPauses) {
  const CommandCase& c = GetParam();
  port.setScript.assign(c.sets.begin(), c.sets.end());
  port.getScript.assign(c.gets.begin(), c.gets.end());
  EXPECT_EQ(c.run(link), c.result);
  EXPECT_EQ(port.TakeLog(), c.log);
  ASSERT_FALSE(port.sentReports.empty());
  EXPECT_EQ(port.sentReports.front(), c.request);
  for (const auto& asked : port.getRequests) {
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0], kShortReportId);
    EXPECT_TRUE(std::all_of(asked.begin() + 1, asked.end(), [](uint8_t b) { return b == 0; }));
  }
}

std::vector<uint8_t> WriteRequestBytes() {
  std::vector<uint8_t> request(kLongReportLength, 0);
  request[0] = kLongReportId;
  request[1] = kCmdWriteConfigBlock;
  request[5] = 2;
  const ConfigBlock block = PackBlock(SampleImage());
  std::copy(block.begin(), block.end(), request.begin() + 16);
  return request;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandExchangeTest,
    ::testing::Values(
        CommandCase{"QueryStatus", RunQueryStatus, ShortRequestBytes(0x03), {Succeed()}, {kReady}, kCommandOk,
                    {"set 64", "sleep 50", "get 64"}},
        CommandCase{"QueryStatusAcceptsAnyStatus", RunQueryStatus, ShortRequestBytes(0x03), {Succeed()},
                    {kOtherStatus}, kCommandOk, {"set 64", "sleep 50", "get 64"}},
        CommandCase{"QueryStatusSendFails", RunQueryStatus, ShortRequestBytes(0x03), {kDenied}, {}, kCommandFailed,
                    {"set 64"}},
        CommandCase{"QueryStatusReadFails", RunQueryStatus, ShortRequestBytes(0x03), {Succeed()}, {kDenied},
                    kCommandFailed, {"set 64", "sleep 50", "get 64"}},
        CommandCase{"Commit", RunCommit, ShortRequestBytes(0x04, 3), {Succeed()}, {kReady}, kCommandOk,
                    {"set 64", "sleep 1500", "get 64"}},
        // A write or a commit counts only when the mouse confirms it ready.
        CommandCase{"CommitNotConfirmed", RunCommit, ShortRequestBytes(0x04, 3), {Succeed()}, {kOtherStatus},
                    kCommandFailed, {"set 64", "sleep 1500", "get 64"}},
        CommandCase{"CommitStillBusyAfterThePolls", RunCommit, ShortRequestBytes(0x04, 3), {Succeed()},
                    std::vector<FakeResult>(11, ReplyWithStatus(kStatusBusy)), kCommandFailed,
                    {"set 64", "sleep 1500", "get 64", "get 64", "sleep 0", "get 64", "sleep 100", "get 64",
                     "sleep 200", "get 64", "sleep 300", "get 64", "sleep 400", "get 64", "sleep 500", "get 64",
                     "sleep 600", "get 64", "sleep 700", "get 64", "sleep 800", "get 64", "sleep 900"}},
        CommandCase{"CommitSendFailsWithoutPause", RunCommit, ShortRequestBytes(0x04, 3), {kDenied}, {},
                    kCommandFailed, {"set 64"}},
        CommandCase{"CommitReadFails", RunCommit, ShortRequestBytes(0x04, 3), {Succeed()}, {kDenied}, kCommandFailed,
                    {"set 64", "sleep 1500", "get 64"}},
        CommandCase{"ReadBlock", RunReadBlock, ShortRequestBytes(0x07), {Succeed()},
                    {BlockReply(kStatusReady, PatternBlock())}, kCommandOk, {"set 64", "sleep 80", "get 1041"}},
        CommandCase{"ReadBlockSendFailsAfterThePause", RunReadBlock, ShortRequestBytes(0x07), {kDenied}, {},
                    kCommandFailed, {"set 64", "sleep 80"}},
        CommandCase{"ReadBlockReadFails", RunReadBlock, ShortRequestBytes(0x07), {Succeed()}, {kDenied},
                    kCommandFailed, {"set 64", "sleep 80", "get 1041"}},
        CommandCase{"ReadBlockInsistsOnReady", RunReadBlock, ShortRequestBytes(0x07), {Succeed()},
                    {BlockReply(2, PatternBlock())}, kCommandFailed, {"set 64", "sleep 80", "get 1041"}},
        CommandCase{"WriteBlock", RunWriteBlock, WriteRequestBytes(), {Succeed()}, {kReady}, kCommandOk,
                    {"set 1041", "sleep 80", "get 64"}},
        CommandCase{"WriteBlockNotConfirmed", RunWriteBlock, WriteRequestBytes(), {Succeed()}, {kOtherStatus},
                    kCommandFailed, {"set 1041", "sleep 80", "get 64"}},
        CommandCase{"WriteBlockSendFailsAfterThePause", RunWriteBlock, WriteRequestBytes(), {kDenied}, {},
                    kCommandFailed, {"set 1041", "sleep 80"}},
        CommandCase{"WriteBlockReadFails", RunWriteBlock, WriteRequestBytes(), {Succeed()}, {kDenied},
                    kCommandFailed, {"set 1041", "sleep 80", "get 64"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- replies --------------------------------------------------------------

TEST_F(CommandsTest, QueryStatusHandsBackByte16) {
  FakeResult reply = ReplyWithStatus(kStatusReady);
  reply.reply[kReplyStatusValueByte] = 0x42;
  port.setScript = {Succeed()};
  port.getScript = {reply};
  uint8_t status = 0;
  ASSERT_EQ(QueryStatus(link, status), kCommandOk);
  EXPECT_EQ(status, 0x42);
}

TEST_F(CommandsTest, ReadBlockUnpacksTheReplyBlock) {
  port.setScript = {Succeed()};
  port.getScript = {BlockReply(kStatusReady, PatternBlock())};
  DeviceImage image{};
  ASSERT_EQ(ReadConfigBlock(link, image), kCommandOk);
  EXPECT_EQ(image, UnpackBlock(PatternBlock()));
}

TEST_F(CommandsTest, ReadBlockAfterBusyPollsTakesTheReadyReply) {
  port.setScript = {Succeed()};
  port.getScript = {BlockReply(kStatusBusy, {}), BlockReply(kStatusReady, PatternBlock())};
  DeviceImage image{};
  ASSERT_EQ(ReadConfigBlock(link, image), kCommandOk);
  EXPECT_EQ(image, UnpackBlock(PatternBlock()));
}

struct UntouchedCase {
  const char* name;
  std::vector<FakeResult> gets;
};

class ReadBlockFailureTest : public CommandsTest, public ::testing::WithParamInterface<UntouchedCase> {};

TEST_P(ReadBlockFailureTest, LeavesTheImageUntouched) {
  port.setScript = {Succeed()};
  port.getScript.assign(GetParam().gets.begin(), GetParam().gets.end());
  const DeviceImage before = SampleImage();
  DeviceImage image = before;
  EXPECT_EQ(ReadConfigBlock(link, image), kCommandFailed);
  EXPECT_EQ(image, before);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ReadBlockFailureTest,
    ::testing::Values(UntouchedCase{"BusyAfterAllPolls",
                                    std::vector<FakeResult>(11, BlockReply(kStatusBusy, PatternBlock()))},
                      UntouchedCase{"NotReady", {BlockReply(2, PatternBlock())}},
                      UntouchedCase{"ShortReply", {ShortReply(64)}},
                      UntouchedCase{"ReadFails", {FailWith(kErrorDeviceNotConnected)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, WriteBlockRequestIsTheBlockFramed) {
  port.setScript = {Succeed()};
  port.getScript = {kReady};
  ASSERT_EQ(WriteConfigBlock(link, SampleImage(), 5), kCommandOk);
  const std::vector<uint8_t>& sent = port.sentReports.front();
  ASSERT_EQ(sent.size(), 1041u);
  const ConfigBlock block = PackBlock(SampleImage());
  EXPECT_EQ(sent[0], 0xA0);
  EXPECT_EQ(sent[1], 0x08);
  EXPECT_EQ(sent[5], 5);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), sent.begin() + 16));
  EXPECT_EQ(sent[1040], 0);
}

TEST(CommandsWithoutHandle, FailWithoutTouchingTheMouse) {
  FakePort port;
  LinkState link;
  link.port = &port;
  uint8_t status = 0;
  DeviceImage image{};
  EXPECT_EQ(QueryStatus(link, status), kCommandFailed);
  EXPECT_EQ(CommitProfile(link, 0), kCommandFailed);
  EXPECT_EQ(ReadConfigBlock(link, image), kCommandFailed);
  EXPECT_EQ(WriteConfigBlock(link, image, 0), kCommandFailed);
  EXPECT_EQ(port.TakeLog(), (Log{"sleep 80", "sleep 80"}));
}

// ---- firmware version -----------------------------------------------------

struct VersionCase {
  uint32_t releaseNumber;
  uint16_t number;
  const char* text;
};

TEST(FirmwareVersion, NumberAndText) {
  const VersionCase cases[] = {
      {0x0109, 109, "V1.09"},   {0x0120, 120, "V1.20"},   {0x010A, 10, "V0.10"},
      {0x0000, 0, "V0.00"},     {0x0001, 1, "V0.01"},     {0x0999, 999, "V9.99"},
      {0xA109, 0, "V0.00"},     // no leading decimal digit
      {0x1A09, 1, "V0.01"},     // parsing stops at the letter
      {0x9999, 9999, "V99.99"}, {0x12345678, static_cast<uint16_t>(12345678 & 0xFFFF), "V249.10"},
  };
  for (const VersionCase& c : cases) {
    LinkState link;
    link.versionNumber = c.releaseNumber;
    const uint16_t number = FirmwareVersionNumber(link);
    EXPECT_EQ(number, c.number) << std::hex << c.releaseNumber;
    EXPECT_EQ(FormatFirmwareVersion(number), c.text) << std::hex << c.releaseNumber;
  }
}

// Going through single precision must never move the text off the exact
// hundredths (a truncating conversion would turn 109 into V1.08).
TEST(FirmwareVersion, EveryVersionNumberReadsAsItsExactHundredths) {
  int wrong = 0;
  for (unsigned number = 0; number <= 0xFFFF; ++number) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "V%u.%02u", number / 100, number % 100);
    if (FormatFirmwareVersion(static_cast<uint16_t>(number)) != expected && wrong++ < 5)
      ADD_FAILURE() << "version number " << number;
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace korvid
