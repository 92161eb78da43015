#include "device/hidraw.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <string>
#include <vector>

#include "device/error_codes.h"
#include "device/hidraw_sysfs.h"
#include "device/hidraw_transport.h"
#include "device/link.h"
#include "tests/device/report_descriptors.h"

namespace korvid::hidraw {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

using report_descriptors::kBootKeyboard;
using report_descriptors::kBootMouse;
// The configuration collection: a 64-byte (ID 0xA1) and a 1041-byte (ID 0xA0)
// feature report on a two-byte vendor usage page.
const Bytes& kVendorCollection = report_descriptors::kConfigCollection;

// ---- errno mapping --------------------------------------------------------

TEST(ErrnoToWinError, Table) {
  const std::pair<int, uint32_t> cases[] = {
      {EAGAIN, kErrorNotReady},      {EBUSY, kErrorNotReady},
      {ETIMEDOUT, kErrorNotReady},   {EPIPE, kErrorGenFailure},
      {EPROTO, kErrorCrc},           {EIO, kErrorFunctionFailed},
      {EINVAL, kErrorInvalidParameter}, {EMSGSIZE, kErrorInvalidParameter},
      {ENODEV, kErrorDeviceNotConnected}, {ENXIO, kErrorDeviceNotConnected},
      {ESHUTDOWN, kErrorDeviceNotConnected}, {EACCES, kErrorAccessDenied},
      {EPERM, kErrorAccessDenied},   {ENOENT, kErrorFileNotFound},
      {ENOTTY, kErrorGenFailure},    {ENOMEM, kErrorGenFailure},
      {0, kErrorGenFailure},
  };
  for (const auto& [error, code] : cases) EXPECT_EQ(ErrnoToWinError(error), code) << error;
}

// ---- fake sysfs -----------------------------------------------------------

// sysfs as the kernel lays it out for a USB mouse:
//   devices/pci0000:00/0000:00:14.0/usb1/1-2/bcdDevice
//   devices/.../1-2/1-2:1.2/0003:31C5:2716.3/{uevent,report_descriptor}
//   class/hidraw/hidraw3/device -> the HID device folder (relative link)
class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("korvid-sysfs-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "class" / "hidraw");
    fs::create_directories(root / "dev");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  static void Write(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }

  // A HID device below `parent`, linked from class/hidraw/<node>.
  fs::path AddHid(const std::string& node, const fs::path& parent, const std::string& hidId,
                  const Bytes& descriptor) {
    // The instance number keeps the collections of one USB interface apart.
    const fs::path device = parent / ("0003:" + hidId + "." + node.substr(6));
    fs::create_directories(device / "hidraw" / node);
    Write(device / "uevent", "DRIVER=hid-generic\nHID_ID=0003:0000" + hidId.substr(0, 4) + ":0000" +
                                 hidId.substr(5, 4) + "\nHID_NAME=Orvanta Korvid\n");
    if (!descriptor.empty()) Write(device / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    const fs::path nodeFolder = root / "class" / "hidraw" / node;
    fs::create_directories(nodeFolder);
    fs::create_directory_symlink(fs::relative(device, nodeFolder), nodeFolder / "device");
    return device;
  }

  fs::path UsbInterface() const { return root / "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.2"; }

  void AddKorvid() {
    Write(root / "devices/pci0000:00/0000:00:14.0/usb1/1-2/bcdDevice", "0109\n");
    AddHid("hidraw3", UsbInterface(), "31C5:2716", kVendorCollection);
  }

  fs::path root;
};

TEST_F(FakeSysfs, ReadsIdsReleaseAndCaps) {
  AddKorvid();
  auto info = ReadSysfsInfo(root, "hidraw3");
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->attributes.vendorId, 0x31C5);
  EXPECT_EQ(info->attributes.productId, 0x2716);
  EXPECT_EQ(info->attributes.versionNumber, 0x0109);
  EXPECT_EQ(info->collections, (std::vector<HidCaps>{HidCaps{0xFF01, 0x0002}}));
}

TEST_F(FakeSysfs, ReleaseNumberIsZeroWithoutAUsbAncestor) {
  AddHid("hidraw0", root / "devices/virtual/misc/uhid", "1D57:AD03", kBootMouse);
  auto info = ReadSysfsInfo(root, "hidraw0");
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->attributes.vendorId, 0x1D57);
  EXPECT_EQ(info->attributes.versionNumber, 0);
  EXPECT_EQ(info->collections, (std::vector<HidCaps>{HidCaps{0x01, 0x02}}));
}

TEST_F(FakeSysfs, MissingDescriptorLeavesNoCollections) {
  AddHid("hidraw1", UsbInterface(), "31C5:2716", {});
  auto info = ReadSysfsInfo(root, "hidraw1");
  ASSERT_TRUE(info.has_value());
  EXPECT_TRUE(info->collections.empty());
}

// Windows gives each collection an interface; a node carries them all. The
// configuration collection is found wherever it stands among them, also
// behind another vendor's collection.
TEST_F(FakeSysfs, DiscoveryTakesANodeWhoseConfigurationCollectionIsNotItsFirst) {
  const Bytes otherVendorCollection = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0};
  Bytes node = otherVendorCollection;
  node.insert(node.end(), kVendorCollection.begin(), kVendorCollection.end());
  Write(root / "devices/pci0000:00/0000:00:14.0/usb1/1-2/bcdDevice", "0109\n");
  AddHid("hidraw3", UsbInterface(), "31C5:2716", node);
  Write(root / "dev" / "hidraw3", "");
  auto port = MakeHidrawPort(root, root / "dev");
  LinkState link;
  link.port = port.get();
  ASSERT_EQ(OpenConfigInterface(link, 0x31C5, 0x2716), 1);
  EXPECT_EQ(link.path, (root / "dev/hidraw3").string());
}

TEST_F(FakeSysfs, RefusesWhatIsNotANodeOrHasNoId) {
  AddKorvid();
  const fs::path device = AddHid("hidraw4", root / "devices/virtual/misc/uhid", "1234:5678", kBootMouse);
  Write(device / "uevent", "DRIVER=hid-generic\n");
  Write(root / "devices/virtual/misc/uhid/0003:BAD0:0000.0009/uevent", "HID_ID=0003:XYZ:00002716\n");
  const fs::path badFolder = root / "class/hidraw/hidraw5";
  fs::create_directories(badFolder);
  fs::create_directory_symlink(fs::relative(root / "devices/virtual/misc/uhid/0003:BAD0:0000.0009", badFolder),
                               badFolder / "device");
  for (const char* name : {"hidraw4", "hidraw5", "hidraw9", "../hidraw/hidraw3", "hidraw", "hidraw3/..", "", "x"})
    EXPECT_FALSE(ReadSysfsInfo(root, name).has_value()) << name;
}

TEST_F(FakeSysfs, ListsNodesByNumber) {
  for (const char* name : {"hidraw10", "hidraw2", "hidraw0", "hidrawX", "other"})
    fs::create_directories(root / "class" / "hidraw" / name);
  EXPECT_EQ(ListHidrawNodes(root), (std::vector<std::string>{"hidraw0", "hidraw2", "hidraw10"}));
  EXPECT_TRUE(ListHidrawNodes(root / "missing").empty());
}

// The whole backend over the fake tree, with regular files standing in for
// the device nodes: discovery works from sysfs alone, and the reports fail
// as a file refuses the HID ioctls.
TEST_F(FakeSysfs, DiscoveryOverTheHidrawPort) {
  AddHid("hidraw1", UsbInterface(), "31C5:2716", kBootKeyboard);
  AddHid("hidraw2", root / "devices/virtual/misc/uhid", "1D57:AD03", kVendorCollection);
  AddKorvid();
  for (const char* node : {"hidraw1", "hidraw2", "hidraw3"}) Write(root / "dev" / node, "");
  auto port = MakeHidrawPort(root, root / "dev");
  EXPECT_EQ(port->EnumerateInterfaces(),
            (std::vector<std::string>{(root / "dev/hidraw1").string(), (root / "dev/hidraw2").string(),
                                      (root / "dev/hidraw3").string()}));
  EXPECT_EQ(port->Open((root / "dev/hidraw7").string()), nullptr);
  EXPECT_EQ(port->Open((root / "dev/notanode").string()), nullptr);

  LinkState link;
  link.port = port.get();
  ASSERT_EQ(OpenConfigInterface(link, 0x31C5, 0x2716), 1);
  EXPECT_EQ(link.path, (root / "dev/hidraw3").string());
  EXPECT_EQ(link.versionNumber, 0x0109u);

  uint8_t report[64] = {0xA1, 0x03};
  EXPECT_FALSE(link.handle->SetFeature(report, sizeof report));
  EXPECT_EQ(link.handle->LastError(), kErrorGenFailure);  // ENOTTY
  EXPECT_EQ(link.handle->GetFeature(report, sizeof report), -1);
  EXPECT_EQ(SendFeatureReport(link, 64, report), 0);
}

}  // namespace
}  // namespace korvid::hidraw
