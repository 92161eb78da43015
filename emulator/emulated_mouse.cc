#include "emulator/emulated_mouse.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "device/commands.h"
#include "device/error_codes.h"
#include "device/link.h"
#include "emulator/exchange_log.h"
#include "emulator/faults.h"
#include "emulator/state_files.h"
#include "profile/device_model.h"
#include "profile/profile_record.h"
#include "profile/text.h"

namespace korvid::emulator {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxFaultsFileBytes = 64 * 1024;
constexpr size_t kReportIndexByte = kReportArgumentByte;
constexpr uint8_t kStatusValueReady = 1;

constexpr uint16_t kOtherReleaseNumber = 0x0100;
// GUID_DEVINTERFACE_HID, the last part of every HID interface path.
constexpr char kHidInterfaceClass[] = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

using Bytes = std::vector<uint8_t>;

struct Reply {
  uint8_t command = 0;
  Bytes bytes;
};

Reply MakeReply(uint8_t command, size_t length) {
  Reply reply{command, Bytes(length, 0)};
  reply.bytes[0] = kShortReportId;
  reply.bytes[kReportStatusByte] = kStatusReady;
  return reply;
}

bool SameInterfacePath(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<uint8_t> ByteAt(const uint8_t* data, size_t length, size_t offset) {
  if (data == nullptr || offset >= length) return std::nullopt;
  return data[offset];
}

// The firmware side of one port: the block written but not yet committed,
// the reply waiting for the next get-feature, and the folder that holds the
// state all processes share.
class Firmware {
 public:
  Firmware(fs::path folder, std::function<void(uint32_t)> sleeper)
      : folder_(std::move(folder)), sleeper_(std::move(sleeper)) {}

  bool Unplugged() const { return StateFileExists(folder_ / kUnpluggedFile); }

  // The error an open of the configuration interface meets, or 0.
  uint32_t OpenError() {
    std::lock_guard lock(mutex_);
    return UseFault(FeatureCall::kOpen, std::nullopt).error;
  }

  // The mouse lost power: what it held in its working memory is gone.
  void Forget() {
    std::lock_guard lock(mutex_);
    working_.reset();
    pending_.reset();
  }

  // The stored block; a missing or damaged block.bin is replaced by the
  // factory block.
  ConfigBlock StoredBlock() {
    fs::path path = folder_ / kBlockFile;
    std::optional<std::string> bytes = ReadStateFile(path, kBlockSize);
    ConfigBlock block{};
    if (bytes && bytes->size() == block.size()) {
      std::memcpy(block.data(), bytes->data(), block.size());
      return block;
    }
    block = FactoryBlock();
    StoreBlock(block);
    return block;
  }

  uint32_t Set(const uint8_t* data, size_t length) {
    std::lock_guard lock(mutex_);
    FaultEffect effect = UseFault(FeatureCall::kSet, ByteAt(data, length, kReportCommandByte));
    if (uint32_t error = Transfer(effect.delayMs); error != kErrorSuccess) return error;
    if (effect.error != 0) return effect.error;
    return Execute(data, length);
  }

  // Copies the reply into `data`; `record` receives what the log shows.
  uint32_t Get(uint8_t* data, size_t length, ExchangeRecord& record) {
    std::lock_guard lock(mutex_);
    std::optional<uint8_t> command;
    if (pending_) command = pending_->command;
    record.command = command;
    FaultEffect effect = UseFault(FeatureCall::kGet, command);
    if (uint32_t error = Transfer(effect.delayMs); error != kErrorSuccess) return error;
    if (effect.error != 0) return effect.error;
    if (data == nullptr || length == 0 || data[0] != kShortReportId) return kErrorGenFailure;

    Bytes reply = pending_ ? pending_->bytes : MakeReply(0, kShortReportLength).bytes;
    if (effect.status) reply[kReportStatusByte] = *effect.status;
    size_t count = std::min(length, reply.size());
    if (effect.replyLength) count = std::min(count, *effect.replyLength);
    std::copy_n(reply.begin(), count, data);
    record.delivered = count;
    if (count > kReportStatusByte) record.status = reply[kReportStatusByte];
    return kErrorSuccess;
  }

  // The time a slow transfer takes; a mouse unplugged meanwhile never
  // answers it.
  uint32_t Transfer(uint32_t delayMs) {
    if (delayMs == 0) return kErrorSuccess;
    if (sleeper_) {
      sleeper_(delayMs);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    }
    return Unplugged() ? kErrorDeviceNotConnected : kErrorSuccess;
  }

  void Log(const ExchangeRecord& record) { AppendStateLine(folder_ / kExchangeLog, FormatExchangeLine(record)); }

  const fs::path& folder() const { return folder_; }

  void Sleep(uint32_t milliseconds) {
    // A mouse that answers at once lets tests run many operations quickly.
    if (StateFileExists(folder_ / kNoPausesFile)) return;
    if (sleeper_) {
      sleeper_(milliseconds);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
  }

 private:
  bool StoreBlock(const ConfigBlock& block) {
    return ReplaceStateFile(folder_ / kBlockFile,
                            std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
  }

  FaultEffect UseFault(FeatureCall call, std::optional<uint8_t> command) {
    fs::path path = folder_ / kFaultsFile;
    std::optional<std::string> text = ReadStateFile(path, kMaxFaultsFileBytes);
    if (!text) return {};
    std::vector<FaultLine> lines = ParseFaults(*text);
    bool changed = false;
    FaultEffect effect = ConsumeFault(lines, call, command, changed);
    if (changed) {
      if (HasFaults(lines)) {
        ReplaceStateFile(path, SerialiseFaults(lines));
      } else {
        RemoveStateFile(path);
      }
    }
    return effect;
  }

  // A short request may come longer than the protocol's 64 bytes: a driver
  // that pads every report to the collection's longest sends the rest as
  // zeros.
  static bool IsValidRequest(const uint8_t* data, size_t length) {
    if (data == nullptr || length <= kReportIndexByte) return false;
    uint8_t command = data[kReportCommandByte];
    if (data[0] == kShortReportId && length >= kShortReportLength) {
      return command == kCmdQueryStatus || command == kCmdCommitProfile || command == kCmdReadConfigBlock;
    }
    return data[0] == kLongReportId && length >= kLongReportLength && command == kCmdWriteConfigBlock;
  }

  // A request the firmware does not take is stalled, which the host sees as
  // a general failure.
  uint32_t Execute(const uint8_t* data, size_t length) {
    if (!IsValidRequest(data, length)) return kErrorGenFailure;
    uint8_t command = data[kReportCommandByte];
    switch (command) {
      case kCmdQueryStatus: {
        Reply reply = MakeReply(command, kShortReportLength);
        reply.bytes[kReplyStatusValueByte] = kStatusValueReady;
        pending_ = std::move(reply);
        break;
      }
      case kCmdCommitProfile:
        if (working_) {
          if (!StoreBlock(*working_)) return kErrorGenFailure;
          working_.reset();
        } else {
          StoredBlock();
        }
        pending_ = MakeReply(command, kShortReportLength);
        break;
      case kCmdReadConfigBlock: {
        ConfigBlock block = StoredBlock();
        Reply reply = MakeReply(command, kLongReportLength);
        std::copy(block.begin(), block.end(), reply.bytes.begin() + kBlockOffsetInReport);
        pending_ = std::move(reply);
        break;
      }
      case kCmdWriteConfigBlock: {
        ConfigBlock block{};
        std::copy_n(data + kBlockOffsetInReport, block.size(), block.begin());
        working_ = block;
        pending_ = MakeReply(command, kShortReportLength);
        break;
      }
      default:
        return kErrorGenFailure;
    }
    return kErrorSuccess;
  }

  const fs::path folder_;
  const std::function<void(uint32_t)> sleeper_;
  std::mutex mutex_;
  std::optional<ConfigBlock> working_;
  std::optional<Reply> pending_;
};

class EmulatedDevice : public HidDevice {
 public:
  EmulatedDevice(const EmulatedInterface& hidInterface, std::shared_ptr<Firmware> firmware)
      : interface_(hidInterface), firmware_(std::move(firmware)) {}

  bool SetFeature(uint8_t* data, size_t length) override {
    ExchangeRecord record;
    record.call = FeatureCall::kSet;
    record.length = length;
    record.reportId = ByteAt(data, length, 0);
    record.command = ByteAt(data, length, kReportCommandByte);
    record.index = ByteAt(data, length, kReportIndexByte);
    record.error = CheckPresent();
    if (record.error == kErrorSuccess) {
      record.error = interface_.isConfig ? firmware_->Set(data, length) : kErrorInvalidFunction;
    }
    firmware_->Log(record);
    return Answer(record.error);
  }

  int GetFeature(uint8_t* data, size_t length) override {
    ExchangeRecord record;
    record.call = FeatureCall::kGet;
    record.length = length;
    record.reportId = ByteAt(data, length, 0);
    record.error = CheckPresent();
    if (record.error == kErrorSuccess) {
      record.error = interface_.isConfig ? firmware_->Get(data, length, record) : kErrorInvalidFunction;
    }
    firmware_->Log(record);
    return Answer(record.error) ? static_cast<int>(record.delivered) : -1;
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  // A handle to a mouse interface stays dead once the mouse was unplugged,
  // as a real handle does; a fresh discovery opens a new one.
  uint32_t CheckPresent() {
    if (!interface_.isMouse) return kErrorSuccess;
    if (!detached_ && firmware_->Unplugged()) {
      detached_ = true;
      firmware_->Forget();
    }
    return detached_ ? kErrorDeviceNotConnected : kErrorSuccess;
  }

  bool Answer(uint32_t error) {
    lastError_ = error;
    return error == kErrorSuccess;
  }

  const EmulatedInterface& interface_;
  std::shared_ptr<Firmware> firmware_;
  bool detached_ = false;
  uint32_t lastError_ = kErrorSuccess;
};

class EmulatedPort : public HidPort {
 public:
  explicit EmulatedPort(std::shared_ptr<Firmware> firmware) : firmware_(std::move(firmware)) {}

  std::vector<std::string> EnumerateInterfaces() override {
    bool unplugged = firmware_->Unplugged();
    std::vector<std::string> paths;
    for (const EmulatedInterface& hidInterface : Interfaces()) {
      if (hidInterface.isMouse && unplugged) continue;
      paths.push_back(hidInterface.path);
    }
    return paths;
  }

  bool Describe(const std::string& path, HidInterfaceInfo& info) override {
    const EmulatedInterface* hidInterface = Find(path);
    if (!hidInterface || (hidInterface->isMouse && firmware_->Unplugged())) return false;
    info.attributes = hidInterface->attributes;
    info.collections = {hidInterface->caps};
    return true;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    const EmulatedInterface* hidInterface = Find(path);
    if (!hidInterface || (hidInterface->isMouse && firmware_->Unplugged())) {
      lastOpenError_ = kErrorFileNotFound;
      return nullptr;
    }
    lastOpenError_ = hidInterface->isConfig ? firmware_->OpenError() : 0;
    if (lastOpenError_ != 0) return nullptr;
    return std::make_unique<EmulatedDevice>(*hidInterface, firmware_);
  }

  uint32_t LastOpenError() const override { return lastOpenError_; }

  void Sleep(uint32_t milliseconds) override { firmware_->Sleep(milliseconds); }

  // Every process that uses this folder meets the same lock.
  std::string LockKey(const std::string&) override {
    std::error_code error;
    const fs::path folder = fs::absolute(firmware_->folder(), error);
    std::u16string text;
    if (error || !Utf16FromPath(folder.lexically_normal(), text)) return std::string();
    return ToUtf8(text);
  }

 private:
  static const EmulatedInterface* Find(const std::string& path) {
    for (const EmulatedInterface& hidInterface : Interfaces())
      if (SameInterfacePath(hidInterface.path, path)) return &hidInterface;
    return nullptr;
  }

  std::shared_ptr<Firmware> firmware_;
  uint32_t lastOpenError_ = 0;
};

// "\\?\HID#VID_vvvv&PID_pppp&<interface>#<instance>#{HID class GUID}", as
// the system names a HID collection's interface.
std::string InterfacePath(uint16_t vendorId, uint16_t productId, const char* interfaceAndInstance) {
  return std::string(R"(\\?\HID#VID_)") + UsbIdText(vendorId, HexCase::kUpper) + "&PID_" +
         UsbIdText(productId, HexCase::kUpper) + "&" + interfaceAndInstance + "#" + kHidInterfaceClass;
}

EmulatedInterface MakeInterface(uint16_t vendorId, uint16_t productId, uint16_t release,
                                const char* interfaceAndInstance, HidCaps caps, bool isMouse, bool isConfig) {
  EmulatedInterface hidInterface;
  hidInterface.path = InterfacePath(vendorId, productId, interfaceAndInstance);
  hidInterface.attributes = {vendorId, productId, release};
  hidInterface.caps = caps;
  hidInterface.isMouse = isMouse;
  hidInterface.isConfig = isConfig;
  return hidInterface;
}

}  // namespace

ConfigBlock FactoryBlock() {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  DeviceImage image{};
  ProfileToImage(profile, image);
  return PackBlock(image);
}

const std::vector<EmulatedInterface>& Interfaces() {
  const DeviceModel& model = KorvidModel();
  constexpr HidCaps kConfig = {kConfigUsagePage, kConfigUsage};
  static const std::vector<EmulatedInterface> interfaces = {
      MakeInterface(model.vendorId, model.productId, kReleaseNumber, "MI_00#7&1A2B3C4D&0&0000", kKeyboardCollection,
                    true, false),
      MakeInterface(model.vendorId, model.productId, kReleaseNumber, "MI_01#7&2B3C4D5E&0&0000", kPointerCollection,
                    true, false),
      MakeInterface(kOtherVendorId, kOtherProductId, kOtherReleaseNumber, "MI_02#8&3C4D5E6F&0&0000", kConfig, false,
                    false),
      MakeInterface(model.vendorId, model.productId, kReleaseNumber, "MI_02#7&4D5E6F70&0&0000", kConfig, true, true),
  };
  return interfaces;
}

std::vector<std::string> MouseInterfacePaths() {
  std::vector<std::string> paths;
  for (const EmulatedInterface& hidInterface : Interfaces()) {
    if (hidInterface.isMouse) paths.push_back(hidInterface.path);
  }
  return paths;
}

std::unique_ptr<HidPort> MakeEmulatedPort(const fs::path& folder, std::function<void(uint32_t)> sleeper) {
  std::error_code error;
  fs::create_directories(folder, error);
  auto firmware = std::make_shared<Firmware>(folder, std::move(sleeper));
  firmware->StoredBlock();
  return std::make_unique<EmulatedPort>(std::move(firmware));
}

}  // namespace korvid::emulator
