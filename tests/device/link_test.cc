#include "device/link.h"

#include <gtest/gtest.h>

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
using testing::ReplyWithStatus;
using testing::ShortReply;
using testing::Succeed;
using Log = std::vector<std::string>;

const uint16_t kVendor = KorvidModel().vendorId;
const uint16_t kProduct = KorvidModel().productId;

FakeInterface Interface(std::string path, uint16_t vendor, uint16_t product, uint16_t page, uint16_t usage,
                        uint16_t release = 0x0109) {
  FakeInterface interface;
  interface.path = std::move(path);
  interface.attributes = {vendor, product, release};
  interface.caps = {page, usage};
  return interface;
}

FakeInterface MouseKeyboard() { return Interface("kbd", kVendor, kProduct, 0x0001, 0x0006); }
FakeInterface MousePointer() { return Interface("mouse", kVendor, kProduct, 0x0001, 0x0002); }
FakeInterface MouseConfig() { return Interface("config", kVendor, kProduct, kConfigUsagePage, kConfigUsage); }
FakeInterface OtherVendorConfig() { return Interface("other", 0x1D57, kProduct, kConfigUsagePage, kConfigUsage); }
FakeInterface OtherProductConfig() { return Interface("product", kVendor, 0x2717, kConfigUsagePage, kConfigUsage); }

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override { link.port = &port; }
  void TearDown() override {
    EXPECT_TRUE(port.setScript.empty()) << "scripted set answers left over";
    EXPECT_TRUE(port.getScript.empty()) << "scripted get answers left over";
  }

  // Discovers the vendor collection and forgets the log of it.
  void Connect() {
    port.interfaces = {MouseConfig()};
    ASSERT_EQ(OpenConfigInterface(link, kVendor, kProduct), 1);
    port.TakeLog();
  }

  FakePort port;
  LinkState link;
};

// ---- discovery ------------------------------------------------------------

TEST_F(LinkTest, SkipsTheMouseCollectionsWithoutOpeningThemAndTakesTheVendorCollection) {
  // The system keeps a mouse's keyboard and pointer collections for itself:
  // they are only asked who they are, never opened for reports.
  port.interfaces = {MouseKeyboard(), MousePointer(), MouseConfig()};
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 1);
  EXPECT_EQ(port.TakeLog(), (Log{"enumerate", "describe kbd", "describe mouse", "describe config", "open config"}));
  EXPECT_NE(link.handle, nullptr);
  EXPECT_EQ(link.connected, 1);
  EXPECT_EQ(link.versionNumber, 0x0109u);
  EXPECT_EQ(link.path, "config");
}

TEST_F(LinkTest, NeverTakesAnotherDeviceWithTheSameUsagePair) {
  port.interfaces = {OtherVendorConfig(), OtherProductConfig()};
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 0);
  EXPECT_EQ(port.TakeLog(), (Log{"enumerate", "describe other", "describe product"}));
  EXPECT_EQ(link.handle, nullptr);
  EXPECT_EQ(link.connected, 0);
  EXPECT_EQ(link.lastError, kErrorSuccess);
}

// A node that stands for a whole USB interface carries several collections;
// the configuration collection counts wherever it stands among them.
TEST_F(LinkTest, TakesAnInterfaceWhoseCollectionsIncludeTheVendorCollection) {
  struct Case {
    const char* name;
    std::vector<HidCaps> collections;
    int found;
  };
  const Case cases[] = {
      {"ConfigurationAlone", {{kConfigUsagePage, kConfigUsage}}, 1},
      {"AnotherVendorCollectionFirst", {{0xFF00, 0x0001}, {kConfigUsagePage, kConfigUsage}}, 1},
      {"KeyboardThenConfiguration", {{0x0001, 0x0006}, {kConfigUsagePage, kConfigUsage}}, 1},
      {"VendorCollectionsOnlyOthers", {{0xFF00, 0x0001}, {kConfigUsagePage, 0x0001}}, 0},
      {"NoCollectionsRead", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInterface node = Interface("node", kVendor, kProduct, 0, 0);
    if (!c.collections.empty()) {
      node.caps = c.collections.front();
      node.moreCollections.assign(c.collections.begin() + 1, c.collections.end());
    }
    port.interfaces = {node};
    EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), c.found);
    EXPECT_EQ(link.path, c.found ? "node" : "");
    port.TakeLog();
  }
}

TEST_F(LinkTest, FirstMatchWinsAndLaterInterfacesAreNotOpened) {
  FakeInterface second = MouseConfig();
  second.path = "config2";
  port.interfaces = {OtherVendorConfig(), MouseConfig(), second};
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 1);
  EXPECT_EQ(link.path, "config");
  for (const std::string& line : port.TakeLog()) EXPECT_EQ(line.find("config2"), std::string::npos) << line;
}

TEST_F(LinkTest, NoInterfacesAtAll) {
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 0);
  EXPECT_EQ(port.TakeLog(), (Log{"enumerate"}));
  EXPECT_EQ(link.handle, nullptr);
}

TEST_F(LinkTest, SkipsInterfacesThatCannotBeDescribedOrOpened) {
  FakeInterface unopenable = MouseConfig();
  unopenable.path = "locked";
  unopenable.openable = false;
  FakeInterface mute = MouseConfig();
  mute.path = "mute";
  mute.describable = false;
  port.interfaces = {unopenable, mute, MouseConfig()};
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 1);
  EXPECT_EQ(port.TakeLog(),
            (Log{"enumerate", "describe locked", "open locked", "describe mute", "describe config", "open config"}));
  EXPECT_EQ(link.path, "config");
  EXPECT_EQ(link.lastError, kErrorSuccess);
  EXPECT_EQ(link.refusedPath, "");
}

// The mouse is there but cannot be had: the link says why, and which
// interface it was, so that the user hears more than "no mouse".
TEST_F(LinkTest, AConfigurationInterfaceThatCannotBeOpenedIsReportedWithItsReason) {
  struct Case {
    const char* name;
    uint32_t openError;
    uint32_t lastError;
    const char* refusedPath;
  };
  const Case cases[] = {
      {"HeldByAnotherProgram", kErrorSharingViolation, kErrorSharingViolation, "locked"},
      {"NoPermission", kErrorAccessDenied, kErrorAccessDenied, "locked"},
      {"GoneMeanwhile", kErrorFileNotFound, kErrorSuccess, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInterface locked = MouseConfig();
    locked.path = "locked";
    locked.openable = false;
    locked.openError = c.openError;
    port.interfaces = {MouseKeyboard(), locked};
    EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 0);
    EXPECT_EQ(link.lastError, c.lastError);
    EXPECT_EQ(link.refusedPath, c.refusedPath);
    port.TakeLog();
  }
}

TEST_F(LinkTest, SecondDiscoveryClosesTheFirstHandleBeforeEnumerating) {
  port.interfaces = {MouseConfig()};
  ASSERT_EQ(OpenConfigInterface(link, kVendor, kProduct), 1);
  port.TakeLog();
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 1);
  EXPECT_EQ(port.TakeLog(), (Log{"close config", "enumerate", "describe config", "open config"}));
}

TEST_F(LinkTest, FailedRediscoveryHoldsNoHandleAndLeavesConnectedAlone) {
  Connect();
  port.interfaces.clear();
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 0);
  EXPECT_EQ(port.TakeLog(), (Log{"close config", "enumerate"}));
  EXPECT_EQ(link.handle, nullptr);
  EXPECT_EQ(link.path, "");
  EXPECT_EQ(link.connected, 1);
}

TEST(LinkWithoutPort, DiscoveryFails) {
  LinkState link;
  EXPECT_EQ(OpenConfigInterface(link, kVendor, kProduct), 0);
}

// ---- close and drop -------------------------------------------------------

TEST_F(LinkTest, CloseWithoutHandleOnlyClearsConnected) {
  link.connected = 1;
  EXPECT_EQ(CloseConfigInterface(link), 1);
  EXPECT_EQ(link.connected, 0);
  EXPECT_TRUE(port.TakeLog().empty());
}

TEST_F(LinkTest, CloseClosesTheHandleAndClearsConnected) {
  Connect();
  EXPECT_EQ(CloseConfigInterface(link), 1);
  EXPECT_EQ(port.TakeLog(), (Log{"close config"}));
  EXPECT_EQ(link.handle, nullptr);
  EXPECT_EQ(link.connected, 0);
}

TEST_F(LinkTest, DropClosesTheHandleButKeepsConnected) {
  Connect();
  DropConfigHandle(link);
  EXPECT_EQ(port.TakeLog(), (Log{"close config"}));
  EXPECT_EQ(link.handle, nullptr);
  EXPECT_EQ(link.connected, 1);
  DropConfigHandle(link);
  EXPECT_TRUE(port.TakeLog().empty());
}

TEST_F(LinkTest, ReportsWithoutHandleFailAtOnceWithoutRetry) {
  uint8_t buffer[64] = {0xA1};
  EXPECT_EQ(SendFeatureReport(link, 64, buffer), 0);
  EXPECT_EQ(link.lastError, kErrorInvalidHandle);
  link.lastError = kErrorSuccess;
  EXPECT_EQ(ReadFeatureReport(link, 64, buffer), 0);
  EXPECT_EQ(link.lastError, kErrorInvalidHandle);
  EXPECT_TRUE(port.TakeLog().empty());
}

TEST_F(LinkTest, RejectsAnEmptyBuffer) {
  Connect();
  EXPECT_EQ(SendFeatureReport(link, 0, nullptr), 0);
  EXPECT_EQ(link.lastError, kErrorInvalidParameter);
  link.lastError = kErrorSuccess;
  EXPECT_EQ(ReadFeatureReport(link, -1, nullptr), 0);
  EXPECT_EQ(link.lastError, kErrorInvalidParameter);
  EXPECT_TRUE(port.TakeLog().empty());
}

// ---- set-feature schedule -------------------------------------------------

struct ScheduleCase {
  const char* name;
  std::vector<FakeResult> script;
  int result;
  Log log;
  uint32_t lastError = kErrorSuccess;  // the code the exchange leaves on the link
};

void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.name; }

std::vector<FakeResult> Repeat(const FakeResult& result, int times) { return std::vector<FakeResult>(times, result); }

std::vector<FakeResult> Then(std::vector<FakeResult> first, const std::vector<FakeResult>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

class SendScheduleTest : public LinkTest, public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(SendScheduleTest, CallsAndSleeps) {
  Connect();
  for (const FakeResult& result : GetParam().script) port.setScript.push_back(result);
  std::vector<uint8_t> request(64, 0);
  request[0] = 0xA1;
  request[1] = 0x03;
  std::vector<uint8_t> buffer = request;
  link.lastError = kErrorGenFailure;  // left by an earlier exchange
  EXPECT_EQ(SendFeatureReport(link, 64, buffer.data()), GetParam().result);
  EXPECT_EQ(port.TakeLog(), GetParam().log);
  EXPECT_EQ(link.lastError, GetParam().lastError);
  // Every attempt sent the original bytes, whatever a failed one left behind.
  for (const auto& sent : port.sentReports) EXPECT_EQ(sent, request);
}

INSTANTIATE_TEST_SUITE_P(
    Link, SendScheduleTest,
    ::testing::Values(
        ScheduleCase{"FirstTrySucceeds", {Succeed()}, 1, {"set 64"}},
        // A refused request is refused again: it is not sent twice.
        ScheduleCase{"InvalidParameterIsNotRetried", {FailWith(kErrorInvalidParameter)}, 0, {"set 64"},
                     kErrorInvalidParameter},
        ScheduleCase{"GeneralFailureIsNotRetried", {FailWith(kErrorGenFailure)}, 0, {"set 64"}, kErrorGenFailure},
        ScheduleCase{"AccessDeniedIsNotRetried", {FailWith(kErrorAccessDenied)}, 0, {"set 64"}, kErrorAccessDenied},
        ScheduleCase{"DeviceGoneIsNotRetried", {FailWith(kErrorDeviceNotConnected)}, 0, {"set 64"},
                     kErrorDeviceNotConnected},
        // The last attempt's code is the one left on the link.
        ScheduleCase{"RetriesEndOnAnotherCode",
                     {FailWith(kErrorNotReady), FailWith(kErrorCrc), FailWith(kErrorAccessDenied),
                      FailWith(kErrorWriteFault)},
                     0,
                     {"set 64", "set 64", "sleep 50", "set 64", "sleep 50", "set 64", "sleep 50"},
                     kErrorWriteFault},
        ScheduleCase{"NotReadyThenSuccess", {FailWith(kErrorNotReady), Succeed()}, 1, {"set 64", "set 64"}},
        ScheduleCase{"CrcThenSuccess", {FailWith(kErrorCrc), Succeed()}, 1, {"set 64", "set 64"}},
        ScheduleCase{"WriteFaultThenSuccess", {FailWith(kErrorWriteFault), Succeed()}, 1, {"set 64", "set 64"}},
        ScheduleCase{"FunctionFailedThenSuccess", {FailWith(kErrorFunctionFailed), Succeed()}, 1, {"set 64", "set 64"}},
        ScheduleCase{"SuccessOnTheLastRetry",
                     Then(Repeat(FailWith(kErrorCrc), 3), {Succeed()}),
                     1,
                     {"set 64", "set 64", "sleep 50", "set 64", "sleep 50", "set 64"}},
        // The first failure's code decides; later codes do not end the retries.
        ScheduleCase{"FirstCodeDecides",
                     {FailWith(kErrorNotReady), FailWith(kErrorAccessDenied), FailWith(kErrorAccessDenied), Succeed()},
                     1,
                     {"set 64", "set 64", "sleep 50", "set 64", "sleep 50", "set 64"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- get-feature schedule -------------------------------------------------

class ReadScheduleTest : public LinkTest, public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(ReadScheduleTest, CallsAndSleeps) {
  Connect();
  for (const FakeResult& result : GetParam().script) port.getScript.push_back(result);
  std::vector<uint8_t> request(64, 0);
  request[0] = 0xA1;
  std::vector<uint8_t> buffer = request;
  link.lastError = kErrorGenFailure;  // left by an earlier exchange
  EXPECT_EQ(ReadFeatureReport(link, 64, buffer.data()), GetParam().result);
  EXPECT_EQ(port.TakeLog(), GetParam().log);
  EXPECT_EQ(link.lastError, GetParam().lastError);
  for (const auto& asked : port.getRequests) EXPECT_EQ(asked, request);
}

const FakeResult kReady = ReplyWithStatus(kStatusReady);
const FakeResult kBusy = ReplyWithStatus(kStatusBusy);
const FakeResult kOtherStatus = ReplyWithStatus(2);

Log Gets(int count) { return Log(static_cast<size_t>(count), "get 64"); }

Log StaysBusyLog() {
  Log log{"get 64"};
  for (int t = 0; t <= 900; t += 100) {
    log.push_back("get 64");
    log.push_back("sleep " + std::to_string(t));
  }
  return log;
}

INSTANTIATE_TEST_SUITE_P(
    Link, ReadScheduleTest,
    ::testing::Values(
        ScheduleCase{"Ready", {kReady}, 1, {"get 64"}},
        ScheduleCase{"OtherStatusIsNotPolled", {kOtherStatus}, 1, {"get 64"}},
        ScheduleCase{"ReadyOnTheThirdPoll",
                     {kBusy, kBusy, kBusy, kReady},
                     1,
                     {"get 64", "get 64", "sleep 0", "get 64", "sleep 100", "get 64"}},
        ScheduleCase{"StaysBusy", Repeat(kBusy, 11), 1, StaysBusyLog()},
        // A failed poll costs no sleep and does not end the polling.
        ScheduleCase{"PollsThatFail", Then({kBusy}, Repeat(FailWith(kErrorNotReady), 10)), 0, Gets(11),
                     kErrorNotReady},
        ScheduleCase{"LastPollDecides",
                     Then(Then({kBusy}, Repeat(FailWith(kErrorCrc), 9)), {kOtherStatus}),
                     1,
                     Gets(11)},
        ScheduleCase{"BusyThenLastPollFails",
                     Then(Then({kBusy, kBusy}, Repeat(kOtherStatus, 8)), {FailWith(kErrorCrc)}),
                     0,
                     Log{"get 64", "get 64", "sleep 0", "get 64", "get 64", "get 64", "get 64", "get 64", "get 64",
                         "get 64", "get 64", "get 64"},
                     kErrorCrc},
        // A short reply during the polls counts as a failed poll.
        ScheduleCase{"ShortPollReply", Then({kBusy, ShortReply(10)}, {kReady}), 1, Gets(3)},
        ScheduleCase{"InvalidParameterIsNotRetried", {FailWith(kErrorInvalidParameter)}, 0, {"get 64"},
                     kErrorInvalidParameter},
        ScheduleCase{"GeneralFailureIsNotRetried", {FailWith(kErrorGenFailure)}, 0, {"get 64"}, kErrorGenFailure},
        ScheduleCase{"AccessDeniedIsNotRetried", {FailWith(kErrorAccessDenied)}, 0, {"get 64"}, kErrorAccessDenied},
        // A read that succeeds on retry is not judged by its status.
        ScheduleCase{"RetrySucceedsWhileBusy", {FailWith(kErrorFunctionFailed), kBusy}, 1, {"get 64", "get 64"}},
        ScheduleCase{"ShortReplyIsAFailureNotRetried", {ShortReply(10)}, 0, {"get 64"}, kErrorInvalidData},
        ScheduleCase{"ShortReplyOnRetryFailsTheRetry",
                     {FailWith(kErrorNotReady), ShortReply(0), kReady},
                     1,
                     {"get 64", "get 64", "sleep 50", "get 64"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, ReadLeavesTheReplyInTheBuffer) {
  Connect();
  FakeResult reply = ReplyWithStatus(kStatusReady);
  reply.reply[16] = 0x5A;
  reply.reply[63] = 0x77;
  port.getScript.push_back(reply);
  std::vector<uint8_t> buffer(64, 0);
  buffer[0] = 0xA1;
  ASSERT_EQ(ReadFeatureReport(link, 64, buffer.data()), 1);
  EXPECT_EQ(buffer, reply.reply);
}

}  // namespace
}  // namespace korvid
