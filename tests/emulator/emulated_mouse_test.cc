#include "emulator/emulated_mouse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "device/commands.h"
#include "device/error_codes.h"
#include "emulator/exchange_log.h"
#include "profile/device_image.h"
#include "profile/device_model.h"
#include "tests/emulator/emulator_folder.h"

namespace korvid::emulator {
namespace {

constexpr size_t kVendorInterface = 3;  // position in Interfaces()

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::vector<uint8_t> Request(size_t length, uint8_t reportId, uint8_t command, uint8_t index = 0) {
  std::vector<uint8_t> request(length, 0);
  if (length > 0) request[0] = reportId;
  if (length > 1) request[1] = command;
  if (length > 5) request[5] = index;
  return request;
}

std::vector<uint8_t> ShortRequest(uint8_t command) { return Request(kShortReportLength, kShortReportId, command); }

std::string BlockText(const ConfigBlock& block) { return std::string(block.begin(), block.end()); }

class EmulatedMouseTest : public ::testing::Test {
 protected:
  std::unique_ptr<HidDevice> OpenInterface(size_t position) { return port_->Open(Interfaces()[position].path); }
  std::unique_ptr<HidDevice> OpenVendor() { return OpenInterface(kVendorInterface); }

  bool Set(HidDevice& device, std::vector<uint8_t> request) { return device.SetFeature(request.data(), request.size()); }

  EmulatorFolder folder_;
  std::unique_ptr<HidPort> port_ = MakeEmulatedPort(folder_.path(), [](uint32_t) {});
};

TEST_F(EmulatedMouseTest, OpenErrorRefusesTheConfigInterfaceWhileItStaysListed) {
  folder_.Write(kFaultsFile, "open-error 32 2\n");
  EXPECT_EQ(port_->EnumerateInterfaces().size(), Interfaces().size());
  EXPECT_NE(OpenInterface(0), nullptr);  // the mouse's other collections open
  EXPECT_EQ(OpenVendor(), nullptr);
  EXPECT_EQ(OpenVendor(), nullptr);
  EXPECT_NE(OpenVendor(), nullptr);
}

TEST(EmulatedInterfaces, PresentTheMouseCollectionsAndAnUnrelatedDevice) {
  const std::vector<EmulatedInterface>& interfaces = Interfaces();
  ASSERT_EQ(interfaces.size(), 4u);
  struct Expected {
    uint16_t vendorId, productId, usagePage, usage;
    bool isMouse, isConfig;
    const char* marker;
  };
  const uint16_t vendor = KorvidModel().vendorId;
  const uint16_t product = KorvidModel().productId;
  const Expected expected[] = {
      {vendor, product, 0x0001, 0x0006, true, false, "MI_00"},
      {vendor, product, 0x0001, 0x0002, true, false, "MI_01"},
      {kOtherVendorId, kOtherProductId, 0xFF01, 0x0002, false, false, "VID_1D57"},
      {vendor, product, 0xFF01, 0x0002, true, true, "MI_02"},
  };
  for (size_t i = 0; i < interfaces.size(); ++i) {
    SCOPED_TRACE(interfaces[i].path);
    EXPECT_EQ(interfaces[i].attributes.vendorId, expected[i].vendorId);
    EXPECT_EQ(interfaces[i].attributes.productId, expected[i].productId);
    EXPECT_EQ(interfaces[i].caps.usagePage, expected[i].usagePage);
    EXPECT_EQ(interfaces[i].caps.usage, expected[i].usage);
    EXPECT_EQ(interfaces[i].isMouse, expected[i].isMouse);
    EXPECT_EQ(interfaces[i].isConfig, expected[i].isConfig);
    EXPECT_NE(Upper(interfaces[i].path).find(expected[i].marker), std::string::npos);
    if (interfaces[i].isMouse) {
      EXPECT_EQ(interfaces[i].attributes.versionNumber, kReleaseNumber);
      EXPECT_NE(Upper(interfaces[i].path).find(UsbIdText(vendor, HexCase::kUpper)), std::string::npos);
      EXPECT_NE(Upper(interfaces[i].path).find(UsbIdText(product, HexCase::kUpper)), std::string::npos);
    }
  }
  EXPECT_EQ(MouseInterfacePaths(),
            (std::vector<std::string>{interfaces[0].path, interfaces[1].path, interfaces[3].path}));
}

TEST_F(EmulatedMouseTest, UnpluggedMouseDisappearsFromEnumerationAndCannotBeOpened) {
  std::vector<std::string> all;
  for (const EmulatedInterface& hidInterface : Interfaces()) all.push_back(hidInterface.path);
  EXPECT_EQ(port_->EnumerateInterfaces(), all);

  folder_.Write(kUnpluggedFile, "");
  EXPECT_EQ(port_->EnumerateInterfaces(), std::vector<std::string>{Interfaces()[2].path});
  EXPECT_EQ(OpenVendor(), nullptr);
  EXPECT_NE(OpenInterface(2), nullptr);

  folder_.Remove(kUnpluggedFile);
  EXPECT_EQ(port_->EnumerateInterfaces(), all);
  EXPECT_NE(OpenVendor(), nullptr);
}

TEST_F(EmulatedMouseTest, UnknownPathIsNotOpened) {
  EXPECT_EQ(port_->Open(""), nullptr);
  EXPECT_EQ(port_->Open(R"(\\?\HID#VID_31C5&PID_2716&MI_03#7&0&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})"),
            nullptr);
}

TEST_F(EmulatedMouseTest, HandleOfAnUnpluggedMouseStaysDead) {
  std::unique_ptr<HidDevice> device = OpenVendor();
  ASSERT_NE(device, nullptr);
  const std::string path = Interfaces()[kVendorInterface].path;
  HidInterfaceInfo info;
  ASSERT_TRUE(port_->Describe(path, info));

  folder_.Write(kUnpluggedFile, "");
  EXPECT_FALSE(port_->Describe(path, info));
  EXPECT_FALSE(Set(*device, ShortRequest(kCmdQueryStatus)));
  EXPECT_EQ(device->LastError(), kErrorDeviceNotConnected);
  folder_.Remove(kUnpluggedFile);

  EXPECT_FALSE(Set(*device, ShortRequest(kCmdQueryStatus)));
  EXPECT_EQ(device->LastError(), kErrorDeviceNotConnected);
  uint8_t reply[kShortReportLength] = {kShortReportId};
  EXPECT_EQ(device->GetFeature(reply, sizeof reply), -1);
  EXPECT_EQ(device->LastError(), kErrorDeviceNotConnected);

  std::unique_ptr<HidDevice> fresh = OpenVendor();
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(Set(*fresh, ShortRequest(kCmdQueryStatus)));
}

TEST_F(EmulatedMouseTest, OnlyTheVendorCollectionAnswersFeatureReports) {
  for (size_t position : {size_t{0}, size_t{1}, size_t{2}}) {
    std::unique_ptr<HidDevice> device = OpenInterface(position);
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(Set(*device, ShortRequest(kCmdQueryStatus)));
    EXPECT_EQ(device->LastError(), kErrorInvalidFunction);
    uint8_t reply[kShortReportLength] = {kShortReportId};
    EXPECT_EQ(device->GetFeature(reply, sizeof reply), -1);
    EXPECT_EQ(device->LastError(), kErrorInvalidFunction);
  }
}

TEST_F(EmulatedMouseTest, RejectsRequestsTheFirmwareDoesNotKnow) {
  struct Case {
    const char* what;
    std::vector<uint8_t> request;
  };
  const Case cases[] = {
      {"unknown report ID", Request(kShortReportLength, 0xA2, kCmdQueryStatus)},
      {"unknown command", ShortRequest(0x05)},
      {"command 0", ShortRequest(0x00)},
      {"status query too short", Request(63, kShortReportId, kCmdQueryStatus)},
      {"block write in a short report", Request(kShortReportLength, kLongReportId, kCmdWriteConfigBlock)},
      {"block write of 1040 bytes", Request(1040, kLongReportId, kCmdWriteConfigBlock)},
      {"block write with the short ID", Request(kLongReportLength, kShortReportId, kCmdWriteConfigBlock)},
      {"read in a long report", Request(kLongReportLength, kLongReportId, kCmdReadConfigBlock)},
      {"one byte", Request(1, kShortReportId, 0)},
  };
  std::unique_ptr<HidDevice> device = OpenVendor();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(Set(*device, c.request));
    // A request the firmware does not take is stalled.
    EXPECT_EQ(device->LastError(), kErrorGenFailure);
  }
  EXPECT_FALSE(device->SetFeature(nullptr, 0));
  EXPECT_EQ(device->LastError(), kErrorGenFailure);
  uint8_t wrongId[kShortReportLength] = {kLongReportId};
  EXPECT_EQ(device->GetFeature(wrongId, sizeof wrongId), -1);
  EXPECT_EQ(device->LastError(), kErrorGenFailure);
  EXPECT_EQ(device->GetFeature(nullptr, 0), -1);
}

TEST_F(EmulatedMouseTest, ReplyIsCopiedUpToTheCallersLengthOnly) {
  std::unique_ptr<HidDevice> device = OpenVendor();
  // Nothing asked yet: a ready reply of zeros.
  std::vector<uint8_t> buffer(kLongReportLength, 0xEE);
  buffer[0] = kShortReportId;
  EXPECT_EQ(device->GetFeature(buffer.data(), buffer.size()), kShortReportLength);
  EXPECT_EQ(buffer[1], 1);
  EXPECT_TRUE(std::all_of(buffer.begin() + 2, buffer.begin() + kShortReportLength, [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(buffer[kShortReportLength], 0xEE);

  ASSERT_TRUE(Set(*device, ShortRequest(kCmdReadConfigBlock)));
  std::vector<uint8_t> small(32, 0xEE);
  small[0] = kShortReportId;
  EXPECT_EQ(device->GetFeature(small.data(), 20), 20);
  EXPECT_EQ(small[1], 1);
  EXPECT_EQ(small[20], 0xEE);

  // The reply stays until the next command: it can be read again.
  std::fill(buffer.begin(), buffer.end(), 0);
  buffer[0] = kShortReportId;
  EXPECT_EQ(device->GetFeature(buffer.data(), buffer.size()), kLongReportLength);
  ConfigBlock block = FactoryBlock();
  EXPECT_TRUE(std::equal(block.begin(), block.end(), buffer.begin() + kBlockOffsetInReport));
  EXPECT_EQ(buffer[kLongReportLength - 1], 0);
}

TEST_F(EmulatedMouseTest, StatusQueryAnswersReady) {
  std::unique_ptr<HidDevice> device = OpenVendor();
  ASSERT_TRUE(Set(*device, ShortRequest(kCmdQueryStatus)));
  uint8_t reply[kShortReportLength] = {kShortReportId};
  ASSERT_EQ(device->GetFeature(reply, sizeof reply), kShortReportLength);
  EXPECT_EQ(reply[0], kShortReportId);
  EXPECT_EQ(reply[kReportStatusByte], 1);
  EXPECT_EQ(reply[kReplyStatusValueByte], 1);
}

TEST(EmulatedMouseFolder, FreshFolderIsCreatedWithTheFactoryBlock) {
  EmulatorFolder root;
  std::filesystem::path nested = root.path() / std::filesystem::path(u8"m\u00e4us \u2713") / "one";
  std::unique_ptr<HidPort> port = MakeEmulatedPort(nested, [](uint32_t) {});
  auto stored = [&nested] {
    std::ifstream in(nested / kBlockFile, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  ASSERT_EQ(stored(), BlockText(FactoryBlock()));

  // The block is replaced there too.
  std::unique_ptr<HidDevice> device = port->Open(Interfaces()[kVendorInterface].path);
  std::vector<uint8_t> write = Request(kLongReportLength, kLongReportId, kCmdWriteConfigBlock);
  write[kBlockOffsetInReport] = 0x42;
  ASSERT_TRUE(device->SetFeature(write.data(), write.size()));
  std::vector<uint8_t> commit = ShortRequest(kCmdCommitProfile);
  ASSERT_TRUE(device->SetFeature(commit.data(), commit.size()));
  ConfigBlock written{};
  written[0] = 0x42;
  EXPECT_EQ(stored(), BlockText(written));

  ConfigBlock block = FactoryBlock();
  EXPECT_EQ(block[17], 0x00);
  EXPECT_EQ(block[18], 0x04);
  EXPECT_EQ((std::vector<uint8_t>(block.begin() + 37, block.begin() + 41)),
            (std::vector<uint8_t>{0xFD, 0xC4, 0x15, 0x0D}));
  EXPECT_EQ((std::vector<uint8_t>(block.begin() + 52, block.begin() + 56)),
            (std::vector<uint8_t>{0x90, 0x01, 0x90, 0x01}));
  EXPECT_EQ((std::vector<uint8_t>(block.begin() + 136, block.begin() + 143)),
            (std::vector<uint8_t>{0x09, 0xF1, 0, 0, 0, 0, 0x0F}));
}

TEST_F(EmulatedMouseTest, DamagedBlockFileIsReplacedByTheFactoryBlock) {
  for (const std::string& damaged : {std::string(), std::string(1023, '\x5A'), std::string(1025, '\x5A')}) {
    folder_.Write(kBlockFile, damaged);
    std::unique_ptr<HidDevice> device = OpenVendor();
    ASSERT_TRUE(Set(*device, ShortRequest(kCmdReadConfigBlock)));
    std::vector<uint8_t> reply(kLongReportLength, 0);
    reply[0] = kShortReportId;
    ASSERT_EQ(device->GetFeature(reply.data(), reply.size()), kLongReportLength);
    ConfigBlock block = FactoryBlock();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), reply.begin() + kBlockOffsetInReport));
    EXPECT_EQ(folder_.Read(kBlockFile), BlockText(block));
  }
}

TEST_F(EmulatedMouseTest, CommitWithoutWriteKeepsTheStoredBlock) {
  std::string stored(kBlockSize, '\x11');
  folder_.Write(kBlockFile, stored);
  std::unique_ptr<HidDevice> device = OpenVendor();
  std::vector<uint8_t> commit = ShortRequest(kCmdCommitProfile);
  ASSERT_TRUE(Set(*device, commit));
  EXPECT_EQ(folder_.Read(kBlockFile), stored);
}

TEST(ExchangeLog, LineFormat) {
  struct Case {
    ExchangeRecord record;
    const char* line;
  };
  ExchangeRecord set{FeatureCall::kSet, 64, 0xA1, 0x03, 0, std::nullopt, 0, 0};
  ExchangeRecord failedWrite{FeatureCall::kSet, 1041, 0xA0, 0x08, 2, std::nullopt, 87, 0};
  ExchangeRecord get{FeatureCall::kGet, 1041, 0xA1, 0x07, std::nullopt, 0x01, 0, 1041};
  ExchangeRecord shortGet{FeatureCall::kGet, 64, 0xA1, 0x03, std::nullopt, 0x04, 0, 10};
  ExchangeRecord emptyGet{FeatureCall::kGet, 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt, 1167, 0};
  const Case cases[] = {
      {set, "SET len=64 id=A1 cmd=03 index=0 status=- result=ok\n"},
      {failedWrite, "SET len=1041 id=A0 cmd=08 index=2 status=- result=error:87\n"},
      {get, "GET len=1041 id=A1 cmd=07 index=- status=01 result=ok\n"},
      {shortGet, "GET len=64 id=A1 cmd=03 index=- status=04 result=short:10\n"},
      {emptyGet, "GET len=0 id=- cmd=- index=- status=- result=error:1167\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatExchangeLine(c.record), c.line);
}

TEST_F(EmulatedMouseTest, FaultFileCountsDownAndDisappears) {
  folder_.Write(kFaultsFile, "# flaky cable\nget-error 21 2\n");
  std::unique_ptr<HidDevice> device = OpenVendor();
  uint8_t reply[kShortReportLength] = {kShortReportId};

  EXPECT_EQ(device->GetFeature(reply, sizeof reply), -1);
  EXPECT_EQ(device->LastError(), kErrorNotReady);
  EXPECT_EQ(folder_.Read(kFaultsFile), "# flaky cable\nget-error 21 1\n");
  EXPECT_EQ(device->GetFeature(reply, sizeof reply), -1);
  EXPECT_FALSE(folder_.Has(kFaultsFile));
  EXPECT_EQ(device->GetFeature(reply, sizeof reply), kShortReportLength);

  EXPECT_EQ(folder_.LogLines(), (std::vector<std::string>{
                                    "GET len=64 id=A1 cmd=- index=- status=- result=error:21",
                                    "GET len=64 id=A1 cmd=- index=- status=- result=error:21",
                                    "GET len=64 id=A1 cmd=- index=- status=01 result=ok",
                                }));
}

TEST_F(EmulatedMouseTest, MalformedFaultFileIsIgnoredAndLeftAlone) {
  const char raw[] = "busy\nsend-error x 3\n\xff\xfe\x00 error 5\nshort 10 1 cmd=QQ\n";
  const std::string garbage(raw, sizeof raw - 1);
  folder_.Write(kFaultsFile, garbage);
  std::unique_ptr<HidDevice> device = OpenVendor();
  EXPECT_TRUE(Set(*device, ShortRequest(kCmdQueryStatus)));
  uint8_t reply[kShortReportLength] = {kShortReportId};
  EXPECT_EQ(device->GetFeature(reply, sizeof reply), kShortReportLength);
  EXPECT_EQ(folder_.Read(kFaultsFile), garbage);
}

TEST_F(EmulatedMouseTest, ShortAndStatusFaultsShapeTheReply) {
  folder_.Write(kFaultsFile, "short 10 1\nstatus 7 1\n");
  std::unique_ptr<HidDevice> device = OpenVendor();
  ASSERT_TRUE(Set(*device, ShortRequest(kCmdQueryStatus)));
  std::vector<uint8_t> reply(kShortReportLength, 0xEE);
  reply[0] = kShortReportId;
  EXPECT_EQ(device->GetFeature(reply.data(), reply.size()), 10);
  EXPECT_EQ(reply[10], 0xEE);
  EXPECT_EQ(device->GetFeature(reply.data(), reply.size()), kShortReportLength);
  EXPECT_EQ(reply[kReportStatusByte], 7);
  EXPECT_EQ(device->GetFeature(reply.data(), reply.size()), kShortReportLength);
  EXPECT_EQ(reply[kReportStatusByte], 1);
}

TEST(EmulatorEnvironment, FolderComesFromKorvidEmulator) {
#ifdef _WIN32
  _putenv("KORVID_EMULATOR=");
  EXPECT_TRUE(FolderFromEnvironment().empty());
  _wputenv(L"KORVID_EMULATOR=C:\\m\u00e4us \u2713");
  EXPECT_EQ(FolderFromEnvironment().wstring(), L"C:\\m\u00e4us \u2713");
  _putenv("KORVID_EMULATOR=");
#else
  unsetenv("KORVID_EMULATOR");
  EXPECT_TRUE(FolderFromEnvironment().empty());
  setenv("KORVID_EMULATOR", "", 1);
  EXPECT_TRUE(FolderFromEnvironment().empty());
  setenv("KORVID_EMULATOR", "/tmp/mouse", 1);
  EXPECT_EQ(FolderFromEnvironment(), std::filesystem::path("/tmp/mouse"));
  unsetenv("KORVID_EMULATOR");
#endif
}

}  // namespace
}  // namespace korvid::emulator
