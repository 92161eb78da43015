#include "device/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/error_codes.h"
#include "profile/device_image.h"
#include "tests/device/fake_hid.h"

namespace korvid {
namespace {

using namespace testing;  // the fake HID port
using Log = std::vector<std::string>;

const Log kDiscovery = {"enumerate", "describe config", "open config"};

Log Concat(Log first, const Log& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

FakeInterface MouseConfig(uint16_t release = 0x0109) { return MouseConfigInterface(release); }

// The mouse's configuration: differs from the defaults in every kind of
// field the block carries.
ProfileRecord MouseProfile() {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  profile.profileIndex = 2;
  profile.cpi[1] = {1200, 1200};
  profile.cpiLevelDisabled[3] = kCpiLevelOff;
  profile.cpiColour[0] = 0x102030;
  profile.liftOffDistance = kLiftOff3mm;
  profile.smoothing = 1;
  profile.buttons[4] = {4, kBindingKey, 0x05, 0x0004};
  return profile;
}

ConfigBlock MouseBlock() {
  DeviceImage image{};
  ProfileToImage(MouseProfile(), image);
  return PackBlock(image);
}

FakeResult BlockReply(uint8_t status) {
  FakeResult reply = ReplyWithStatus(status, kLongReportLength);
  const ConfigBlock block = MouseBlock();
  std::copy(block.begin(), block.end(), reply.reply.begin() + kBlockOffsetInReport);
  return reply;
}

std::vector<uint8_t> ShortRequest(uint8_t command, uint8_t argument = 0) {
  std::vector<uint8_t> request(kShortReportLength, 0);
  request[0] = kShortReportId;
  request[kReportCommandByte] = command;
  request[kReportArgumentByte] = argument;
  return request;
}

std::vector<uint8_t> WriteRequest(const ProfileRecord& profile) {
  std::vector<uint8_t> request(kLongReportLength, 0);
  request[0] = kLongReportId;
  request[kReportCommandByte] = kCmdWriteConfigBlock;
  request[kReportArgumentByte] = profile.profileIndex;
  DeviceImage image{};
  ProfileToImage(profile, image);
  const ConfigBlock block = PackBlock(image);
  std::copy(block.begin(), block.end(), request.begin() + kBlockOffsetInReport);
  return request;
}

// What the program holds before it reads the mouse: a saved profile.
ProfileRecord SavedProfile() {
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  profile.filePath = "Profiles/Mine.profile";
  profile.name = u"Mine";
  profile.cpi[0] = {650, 650};
  profile.ledBrightness = 50;
  return profile;
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link.port = &port;
    port.interfaces = {MouseConfig()};
  }
  void TearDown() override {
    EXPECT_TRUE(port.setScript.empty()) << "scripted set answers left over";
    EXPECT_TRUE(port.getScript.empty()) << "scripted get answers left over";
  }

  FakePort port;
  LinkState link;
};

// ---- the whole conversation ----------------------------------------------

TEST_F(SessionTest, ReadAsksStatusThenTheBlockAndTakesItIntoTheProfile) {
  port.setScript = {Succeed(), Succeed()};
  port.getScript = {ReplyWithStatus(kStatusReady), BlockReply(kStatusReady)};
  ProfileRecord profile = SavedProfile();

  const SessionOutcome outcome = ReadMouseProfile(link, profile);

  EXPECT_EQ(outcome.result, SessionResult::kDone);
  EXPECT_EQ(outcome.failedStep, SessionStep::kNone);
  EXPECT_EQ(outcome.firmwareVersion, "V1.09");
  EXPECT_EQ(port.TakeLog(), Concat(kDiscovery, {"set 64", "sleep 50", "get 64", "set 64", "sleep 80", "get 1041"}));
  EXPECT_EQ(port.sentReports, (std::vector<std::vector<uint8_t>>{ShortRequest(kCmdQueryStatus),
                                                                  ShortRequest(kCmdReadConfigBlock)}));
  ProfileRecord expected = SavedProfile();
  ImageToProfile(UnpackBlock(MouseBlock()), expected);
  EXPECT_EQ(profile, expected);
  // What the block does not carry stays the saved profile's.
  EXPECT_EQ(profile.name, u"Mine");
  EXPECT_EQ(profile.ledBrightness, 50);
  EXPECT_EQ(profile.cpi[1], (CpiValue{1200, 1200}));
  EXPECT_TRUE(link.handle != nullptr);
}

TEST_F(SessionTest, ApplyAsksStatusWritesTheProfileAndCommitsItsIndex) {
  port.setScript = {Succeed(), Succeed(), Succeed()};
  port.getScript = {ReplyWithStatus(kStatusReady), ReplyWithStatus(kStatusReady), ReplyWithStatus(kStatusReady)};
  const ProfileRecord profile = MouseProfile();

  const SessionOutcome outcome = ApplyMouseProfile(link, profile);

  EXPECT_EQ(outcome.result, SessionResult::kDone);
  EXPECT_EQ(outcome.firmwareVersion, "V1.09");
  EXPECT_EQ(port.TakeLog(), Concat(kDiscovery, {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "get 64",
                                                "set 64", "sleep 1500", "get 64"}));
  EXPECT_EQ(port.sentReports, (std::vector<std::vector<uint8_t>>{ShortRequest(kCmdQueryStatus),
                                                                  WriteRequest(profile),
                                                                  ShortRequest(kCmdCommitProfile, 2)}));
  EXPECT_TRUE(link.handle != nullptr);
}

TEST_F(SessionTest, TheCommitWaitsForItsGateWhichMayWithholdIt) {
  // Withheld first: like any failed apply it lets go of the interface, so
  // that the second apply starts from the same discovery.
  for (const bool open : {false, true}) {
    SCOPED_TRACE(open ? "gate open" : "gate closed");
    port.setScript = {Succeed(), Succeed()};
    port.getScript = {ReplyWithStatus(kStatusReady), ReplyWithStatus(kStatusReady)};
    if (open) port.setScript.push_back(Succeed());
    if (open) port.getScript.push_back(ReplyWithStatus(kStatusReady));
    std::vector<std::string> logWhenAsked;
    const SessionOutcome outcome = ApplyMouseProfile(link, MouseProfile(), [&] {
      logWhenAsked = port.TakeLog();
      return open;
    });
    // Asked once the block is written, before anything of the commit.
    EXPECT_EQ(logWhenAsked, Concat(kDiscovery, {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "get 64"}));
    const std::vector<std::string> commit = {"set 64", "sleep 1500", "get 64"};
    EXPECT_EQ(port.TakeLog(), open ? commit : std::vector<std::string>{"close config"});
    EXPECT_EQ(outcome.result, open ? SessionResult::kDone : SessionResult::kFailed);
    EXPECT_EQ(outcome.detail, open ? SessionDetail::kNone : SessionDetail::kCommitWithheld);
    EXPECT_FALSE(outcome.commitSent);
    port.sentReports.clear();
  }
}

TEST_F(SessionTest, FindMouseOnlyDiscoversAndReadsTheVersion) {
  port.interfaces = {MouseConfig(0x0120)};
  const SessionOutcome outcome = FindMouse(link);
  EXPECT_EQ(outcome.result, SessionResult::kDone);
  EXPECT_EQ(outcome.firmwareVersion, "V1.20");
  EXPECT_EQ(port.TakeLog(), kDiscovery);
  EXPECT_TRUE(link.handle != nullptr);
  EXPECT_EQ(link.connected, 1);
}

// ---- no mouse -------------------------------------------------------------

struct NoMouseCase {
  const char* name;
  std::vector<FakeInterface> interfaces;
  SessionDetail detail = SessionDetail::kNone;
  const char* interfacePath = "";
};

void PrintTo(const NoMouseCase& c, std::ostream* os) { *os << c.name; }

class SessionNoMouseTest : public SessionTest, public ::testing::WithParamInterface<NoMouseCase> {};

TEST_P(SessionNoMouseTest, EveryOperationStopsAfterDiscoveryWithoutAReport) {
  port.interfaces = GetParam().interfaces;
  const ProfileRecord saved = SavedProfile();
  ProfileRecord profile = saved;
  const SessionOutcome outcomes[] = {FindMouse(link), ReadMouseProfile(link, profile),
                                     ApplyMouseProfile(link, saved)};
  for (const SessionOutcome& outcome : outcomes) {
    EXPECT_EQ(outcome.result, SessionResult::kNoMouse);
    EXPECT_EQ(outcome.failedStep, SessionStep::kNone);
    EXPECT_EQ(outcome.firmwareVersion, "-.--");
    EXPECT_EQ(outcome.detail, GetParam().detail);
    EXPECT_EQ(outcome.interfacePath, GetParam().interfacePath);
  }
  EXPECT_TRUE(port.sentReports.empty());
  EXPECT_TRUE(port.getRequests.empty());
  EXPECT_EQ(profile, saved);
  EXPECT_TRUE(link.handle == nullptr);
}

FakeInterface WithIds(FakeInterface interface, uint16_t vendor, uint16_t product) {
  interface.attributes.vendorId = vendor;
  interface.attributes.productId = product;
  return interface;
}

FakeInterface Unopenable(uint32_t error) {
  FakeInterface interface = MouseConfig();
  interface.openable = false;
  interface.openError = error;
  return interface;
}

INSTANTIATE_TEST_SUITE_P(
    Session, SessionNoMouseTest,
    ::testing::Values(NoMouseCase{"NoInterfaces", {}},
                      NoMouseCase{"OtherVendor", {WithIds(MouseConfig(), 0x1D57, KorvidModel().productId)}},
                      NoMouseCase{"OtherProduct", {WithIds(MouseConfig(), KorvidModel().vendorId, 0x2717)}},
                      NoMouseCase{"HeldByAnotherProgram", {Unopenable(kErrorSharingViolation)},
                                  SessionDetail::kInterfaceHeld, "config"},
                      NoMouseCase{"NoPermission", {Unopenable(kErrorAccessDenied)}, SessionDetail::kAccessDenied,
                                  "config"},
                      NoMouseCase{"GoneBeforeItOpened", {Unopenable(kErrorFileNotFound)}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- a failure at each step -----------------------------------------------

enum class Operation { kRead, kApply };

struct FailureCase {
  const char* name;
  Operation operation;
  std::vector<FakeResult> sets;
  std::vector<FakeResult> gets;
  SessionStep step;
  uint32_t error;
  Log exchange;  // after discovery, the handle's closing included
  SessionDetail detail = SessionDetail::kNone;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class SessionFailureTest : public SessionTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SessionFailureTest, StopsAtTheStepWithItsErrorCode) {
  const FailureCase& c = GetParam();
  port.setScript.assign(c.sets.begin(), c.sets.end());
  port.getScript.assign(c.gets.begin(), c.gets.end());
  const ProfileRecord saved = SavedProfile();
  ProfileRecord profile = saved;

  const SessionOutcome outcome =
      c.operation == Operation::kRead ? ReadMouseProfile(link, profile) : ApplyMouseProfile(link, MouseProfile());

  EXPECT_EQ(outcome.result, SessionResult::kFailed);
  EXPECT_EQ(outcome.failedStep, c.step);
  EXPECT_EQ(outcome.error, c.error);
  EXPECT_EQ(outcome.detail, c.detail);
  EXPECT_EQ(outcome.firmwareVersion, "V1.09");
  EXPECT_EQ(port.TakeLog(), Concat(kDiscovery, c.exchange));
  EXPECT_EQ(profile, saved);
  // An apply that fails drops the handle; a read keeps it. Either way the
  // mouse still counts as connected until it is unplugged.
  EXPECT_EQ(link.handle == nullptr, c.operation == Operation::kApply);
  EXPECT_EQ(link.connected, 1);
}

const FakeResult kReady = ReplyWithStatus(kStatusReady);
const FakeResult kDenied = FailWith(kErrorAccessDenied);
const FakeResult kGone = FailWith(kErrorDeviceNotConnected);
const FakeResult kBadParameter = FailWith(kErrorInvalidParameter);

INSTANTIATE_TEST_SUITE_P(
    Session, SessionFailureTest,
    ::testing::Values(
        FailureCase{"ReadStatusSend", Operation::kRead, {kDenied}, {}, SessionStep::kStatus, kErrorAccessDenied,
                    {"set 64", "enumerate"}},
        FailureCase{"ReadStatusReply", Operation::kRead, {Succeed()}, {kGone}, SessionStep::kStatus,
                    kErrorDeviceNotConnected, {"set 64", "sleep 50", "get 64"}, SessionDetail::kMouseGone},
        FailureCase{"ReadBlockSend", Operation::kRead, {Succeed(), kDenied}, {kReady}, SessionStep::kReadBlock,
                    kErrorAccessDenied, {"set 64", "sleep 50", "get 64", "set 64", "sleep 80", "enumerate"}},
        FailureCase{"ReadBlockReply", Operation::kRead, {Succeed(), Succeed()}, {kReady, kGone},
                    SessionStep::kReadBlock, kErrorDeviceNotConnected,
                    {"set 64", "sleep 50", "get 64", "set 64", "sleep 80", "get 1041"}, SessionDetail::kMouseGone},
        FailureCase{"ReadBlockNotReady", Operation::kRead, {Succeed(), Succeed()}, {kReady, BlockReply(2)},
                    SessionStep::kReadBlock, kErrorSuccess,
                    {"set 64", "sleep 50", "get 64", "set 64", "sleep 80", "get 1041"}},
        FailureCase{"ApplyStatusSend", Operation::kApply, {kDenied}, {}, SessionStep::kStatus, kErrorAccessDenied,
                    {"set 64", "enumerate", "close config"}},
        FailureCase{"ApplyStatusReply", Operation::kApply, {Succeed()}, {kGone}, SessionStep::kStatus,
                    kErrorDeviceNotConnected, {"set 64", "sleep 50", "get 64", "close config"},
                    SessionDetail::kMouseGone},
        FailureCase{"ApplyWriteSend", Operation::kApply, {Succeed(), kDenied}, {kReady}, SessionStep::kWriteBlock,
                    kErrorAccessDenied,
                    {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "enumerate", "close config"}},
        FailureCase{"ApplyWriteRefused", Operation::kApply, {Succeed(), kBadParameter}, {kReady},
                    SessionStep::kWriteBlock, kErrorInvalidParameter,
                    {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "enumerate", "close config"},
                    SessionDetail::kRefused},
        FailureCase{"ApplyStatusStalled", Operation::kApply, {FailWith(kErrorGenFailure)}, {}, SessionStep::kStatus,
                    kErrorGenFailure, {"set 64", "enumerate", "close config"}, SessionDetail::kRefused},
        FailureCase{"ApplyWriteReply", Operation::kApply, {Succeed(), Succeed()}, {kReady, kGone},
                    SessionStep::kWriteBlock, kErrorDeviceNotConnected,
                    {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "get 64", "close config"},
                    SessionDetail::kMouseGone},
        FailureCase{"ApplyCommitSend", Operation::kApply, {Succeed(), Succeed(), kDenied}, {kReady, kReady},
                    SessionStep::kCommit, kErrorAccessDenied,
                    {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "get 64", "set 64", "enumerate",
                     "close config"}},
        FailureCase{"ApplyCommitReply", Operation::kApply, {Succeed(), Succeed(), Succeed()}, {kReady, kReady, kGone},
                    SessionStep::kCommit, kErrorDeviceNotConnected,
                    {"set 64", "sleep 50", "get 64", "set 1041", "sleep 80", "get 64", "set 64", "sleep 1500", "get 64",
                     "close config"},
                    SessionDetail::kMouseGone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, AfterAFailedApplyTheNextOperationOpensTheMouseAfresh) {
  port.setScript = {kDenied, Succeed(), Succeed()};
  port.getScript = {kReady, BlockReply(kStatusReady)};
  ASSERT_EQ(ApplyMouseProfile(link, MouseProfile()).result, SessionResult::kFailed);
  port.TakeLog();
  ProfileRecord profile = SavedProfile();
  EXPECT_EQ(ReadMouseProfile(link, profile).result, SessionResult::kDone);
  EXPECT_EQ(port.TakeLog(), Concat(kDiscovery, {"set 64", "sleep 50", "get 64", "set 64", "sleep 80", "get 1041"}));
}

}  // namespace
}  // namespace korvid
