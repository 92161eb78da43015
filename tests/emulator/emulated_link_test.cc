// The emulated mouse driven through the real link and commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/commands.h"
#include "device/error_codes.h"
#include "device/link.h"
#include "emulator/emulated_mouse.h"
#include "profile/device_image.h"
#include "profile/device_model.h"
#include "profile/profile_record.h"
#include "tests/emulator/emulator_folder.h"

namespace korvid::emulator {
namespace {

std::string BlockText(const ConfigBlock& block) { return std::string(block.begin(), block.end()); }

// A profile that differs from the factory state in several block fields.
DeviceImage CustomImage(uint8_t profileIndex) {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  profile.profileIndex = profileIndex;
  profile.cpi[1] = {1250, 1250};
  profile.liftOffDistance = kLiftOff3mm;
  profile.buttons[3] = {3, kBindingKey, 3, 0x04};
  DeviceImage image{};
  ProfileToImage(profile, image);
  return image;
}

class EmulatedLinkTest : public ::testing::Test {
 protected:
  EmulatedLinkTest() { link_.port = port_.get(); }

  bool Discover() { return OpenConfigInterface(link_, KorvidModel().vendorId, KorvidModel().productId) == 1; }
  uint8_t Query() {
    uint8_t status = 0;
    return QueryStatus(link_, status);
  }
  // Discovery, status query, block write, commit: the apply flow.
  bool Apply(const DeviceImage& image) {
    return Discover() && Query() == kCommandOk && WriteConfigBlock(link_, image, image.profileIndex) == kCommandOk &&
           CommitProfile(link_, image.profileIndex) == kCommandOk;
  }

  EmulatorFolder folder_;
  std::vector<uint32_t> sleeps_;
  std::unique_ptr<HidPort> port_ = MakeEmulatedPort(folder_.path(), [this](uint32_t ms) { sleeps_.push_back(ms); });
  LinkState link_;
};

TEST_F(EmulatedLinkTest, DiscoveryPicksTheVendorCollection) {
  ASSERT_TRUE(Discover());
  EXPECT_EQ(link_.path, Interfaces()[3].path);
  EXPECT_EQ(link_.versionNumber, kReleaseNumber);
  EXPECT_EQ(FormatFirmwareVersion(FirmwareVersionNumber(link_)), "V1.09");
}

TEST_F(EmulatedLinkTest, UnpluggedMouseIsNotFound) {
  folder_.Write(kUnpluggedFile, "");
  EXPECT_FALSE(Discover());
  EXPECT_EQ(link_.handle, nullptr);
}

TEST_F(EmulatedLinkTest, ApplyStoresThePackedImage) {
  DeviceImage image = CustomImage(2);
  ASSERT_TRUE(Apply(image));
  EXPECT_EQ(folder_.Read(kBlockFile), BlockText(PackBlock(image)));
  EXPECT_EQ(folder_.LogLines(), (std::vector<std::string>{
                                    "SET len=64 id=A1 cmd=03 index=0 status=- result=ok",
                                    "GET len=64 id=A1 cmd=03 index=- status=01 result=ok",
                                    "SET len=1041 id=A0 cmd=08 index=2 status=- result=ok",
                                    "GET len=64 id=A1 cmd=08 index=- status=01 result=ok",
                                    "SET len=64 id=A1 cmd=04 index=2 status=- result=ok",
                                    "GET len=64 id=A1 cmd=04 index=- status=01 result=ok",
                                }));
  EXPECT_EQ(sleeps_, (std::vector<uint32_t>{kQueryStatusPauseMs, kBlockPauseMs, kCommitPauseMs}));
}

TEST_F(EmulatedLinkTest, AnotherProcessReadsWhatWasApplied) {
  DeviceImage image = CustomImage(1);
  ASSERT_TRUE(Apply(image));

  std::unique_ptr<HidPort> otherPort = MakeEmulatedPort(folder_.path(), [](uint32_t) {});
  LinkState other;
  other.port = otherPort.get();
  ASSERT_EQ(OpenConfigInterface(other, KorvidModel().vendorId, KorvidModel().productId), 1);
  DeviceImage read{};
  ASSERT_EQ(ReadConfigBlock(other, read), kCommandOk);
  EXPECT_EQ(read, UnpackBlock(PackBlock(image)));
}

TEST_F(EmulatedLinkTest, WriteWithoutCommitLeavesTheStoredBlock) {
  ASSERT_TRUE(Discover());
  ASSERT_EQ(WriteConfigBlock(link_, CustomImage(0), 0), kCommandOk);
  EXPECT_EQ(folder_.Read(kBlockFile), BlockText(FactoryBlock()));
  DeviceImage read{};
  ASSERT_EQ(ReadConfigBlock(link_, read), kCommandOk);
  EXPECT_EQ(read, UnpackBlock(FactoryBlock()));
}

enum class Step { kQuery, kRead, kCommit };

struct FaultCase {
  const char* name;
  const char* faults;
  Step step;
  uint8_t result;
  std::vector<uint32_t> sleeps;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class EmulatedFaultTest : public EmulatedLinkTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(EmulatedFaultTest, ProducesTheLinksOutcome) {
  const FaultCase& c = GetParam();
  ASSERT_TRUE(Discover());
  folder_.Write(kFaultsFile, c.faults);
  const DeviceImage before = CustomImage(3);
  DeviceImage image = before;
  uint8_t result = 0;
  switch (c.step) {
    case Step::kQuery: result = Query(); break;
    case Step::kRead: result = ReadConfigBlock(link_, image); break;
    case Step::kCommit: result = CommitProfile(link_, 0); break;
  }
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(sleeps_, c.sleeps);
  if (c.step == Step::kRead && result != kCommandOk) EXPECT_EQ(image, before);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EmulatedFaultTest,
    ::testing::Values(
        FaultCase{"BusyThenReady", "busy 3\n", Step::kQuery, kCommandOk, {50, 0, 100}},
        FaultCase{"StaysBusyQuery", "busy 11\n", Step::kQuery, kCommandOk,
                  {50, 0, 100, 200, 300, 400, 500, 600, 700, 800, 900}},
        FaultCase{"StaysBusyRead", "busy 11\n", Step::kRead, kCommandFailed,
                  {80, 0, 100, 200, 300, 400, 500, 600, 700, 800, 900}},
        FaultCase{"TransientSendErrorRecovers", "send-error 21 2\n", Step::kQuery, kCommandOk, {50, 50}},
        FaultCase{"TransientSendErrorPersists", "send-error 1627 4\n", Step::kQuery, kCommandFailed, {50, 50, 50}},
        FaultCase{"RefusedSendIsNotRetried", "send-error 87 4\n", Step::kQuery, kCommandFailed, {}},
        FaultCase{"StalledGetIsNotRetried", "get-error 31 4\n", Step::kQuery, kCommandFailed, {50}},
        FaultCase{"SendErrorOfOtherCommand", "send-error 87 4 cmd=04\n", Step::kQuery, kCommandOk, {50}},
        FaultCase{"CommitSendErrorRecovers", "send-error 29 1 cmd=04\n", Step::kCommit, kCommandOk, {1500}},
        FaultCase{"TransientGetErrorRecovers", "get-error 23 1\n", Step::kQuery, kCommandOk, {50}},
        FaultCase{"PermanentAccessDenied", "error 5\n", Step::kQuery, kCommandFailed, {}},
        FaultCase{"PermanentAccessDeniedRead", "error 5\n", Step::kRead, kCommandFailed, {80}},
        FaultCase{"OtherStatusFailsRead", "status 2 1\n", Step::kRead, kCommandFailed, {80}},
        FaultCase{"OtherStatusAcceptedByQuery", "status 2 1\n", Step::kQuery, kCommandOk, {50}},
        FaultCase{"ShortReplyFails", "short 10 1\n", Step::kQuery, kCommandFailed, {50}},
        FaultCase{"ShortBlockReplyFails", "short 64 1\n", Step::kRead, kCommandFailed, {80}},
        // Each transfer of a slow mouse takes its time besides the pauses.
        FaultCase{"SlowMouse", "delay 300\n", Step::kQuery, kCommandOk, {300, 50, 300}},
        FaultCase{"SlowCommit", "delay 5000 cmd=04\n", Step::kCommit, kCommandOk, {5000, 1500, 5000}}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(EmulatedLinkTest, UnplugMidSessionFailsUntilRediscovered) {
  ASSERT_TRUE(Discover());
  ASSERT_EQ(Query(), kCommandOk);
  folder_.Write(kUnpluggedFile, "");
  EXPECT_EQ(Query(), kCommandFailed);
  EXPECT_EQ(folder_.LogLines().back(), "SET len=64 id=A1 cmd=03 index=0 status=- result=error:1167");
  EXPECT_FALSE(Discover());

  folder_.Remove(kUnpluggedFile);
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Query(), kCommandOk);
}

// A mouse unplugged while a slow transfer is under way never answers it.
TEST_F(EmulatedLinkTest, UnplugDuringASlowTransferFailsItAsGone) {
  ASSERT_TRUE(Discover());
  folder_.Write(kFaultsFile, "delay 2000 cmd=08\n");
  std::unique_ptr<HidPort> port = MakeEmulatedPort(folder_.path(), [this](uint32_t ms) {
    if (ms == 2000) folder_.Write(kUnpluggedFile, "");
  });
  link_.port = port.get();
  ASSERT_TRUE(Discover());
  EXPECT_EQ(WriteConfigBlock(link_, CustomImage(0), 0), kCommandFailed);
  EXPECT_EQ(link_.lastError, kErrorDeviceNotConnected);
  EXPECT_EQ(folder_.LogLines().back(), "SET len=1041 id=A0 cmd=08 index=0 status=- result=error:1167");
}

// A driver that pads every request to the collection's longest report sends
// the short ones padded: the mouse takes them as they are.
TEST_F(EmulatedLinkTest, PaddedShortRequestsAreTaken) {
  ASSERT_TRUE(Discover());
  std::vector<uint8_t> request(kLongReportLength, 0);
  request[0] = kShortReportId;
  request[kReportCommandByte] = kCmdQueryStatus;
  EXPECT_EQ(SendFeatureReport(link_, static_cast<int>(request.size()), request.data()), 1);
  std::vector<uint8_t> reply(kLongReportLength, 0);
  reply[0] = kShortReportId;
  EXPECT_EQ(link_.handle->GetFeature(reply.data(), reply.size()), kShortReportLength);
  EXPECT_EQ(reply[kReportStatusByte], kStatusReady);
}

TEST_F(EmulatedLinkTest, CountedFaultsAreUsedUpAcrossCommands) {
  folder_.Write(kFaultsFile, "send-error 21 1 cmd=04\nbusy 2\n");
  ASSERT_TRUE(Discover());
  ASSERT_EQ(Query(), kCommandOk);
  EXPECT_EQ(folder_.Read(kFaultsFile), "send-error 21 1 cmd=04\n");
  ASSERT_EQ(CommitProfile(link_, 0), kCommandOk);
  EXPECT_FALSE(folder_.Has(kFaultsFile));
}

TEST_F(EmulatedLinkTest, MalformedFaultFileDoesNotDisturbApply) {
  const std::string faults = "busy\nsend-error eighty-seven 3\nerror\nshort 10\n";
  folder_.Write(kFaultsFile, faults);
  DeviceImage image = CustomImage(0);
  ASSERT_TRUE(Apply(image));
  EXPECT_EQ(folder_.Read(kBlockFile), BlockText(PackBlock(image)));
  EXPECT_EQ(folder_.Read(kFaultsFile), faults);
}

}  // namespace
}  // namespace korvid::emulator
