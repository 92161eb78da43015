// The four commands over a mouse whose every answer comes from the fuzzer:
// success or any error code, any reply content and any reported length.
#include <algorithm>
#include <cstring>

#include "device/commands.h"
#include "device/link.h"
#include "profile/device_model.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  size_t Fill(uint8_t* out, size_t n) {
    size_t take = std::min(n, size_ - pos_);
    std::memcpy(out, data_ + pos_, take);
    pos_ += take;
    return take;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class FuzzDevice : public korvid::HidDevice {
 public:
  explicit FuzzDevice(Input& input) : input_(input) {}
  bool SetFeature(uint8_t*, size_t) override { return Outcome(); }
  int GetFeature(uint8_t* data, size_t length) override {
    if (!Outcome()) return -1;
    // The reported count may be anything; only `length` bytes are ever written.
    int reported = input_.Word() % 1200;
    input_.Fill(data, std::min<size_t>(length, static_cast<size_t>(reported)));
    return reported;
  }
  uint32_t LastError() const override { return error_; }

 private:
  bool Outcome() {
    uint8_t b = input_.Byte();
    if (b < 200) return true;
    static const uint32_t codes[] = {21, 23, 29, 87, 1627, 5, 1167, 31};
    error_ = codes[b % 8];
    return false;
  }
  Input& input_;
  uint32_t error_ = 0;
};

class FuzzPort : public korvid::HidPort {
 public:
  explicit FuzzPort(Input& input) : input_(input) {}
  std::vector<std::string> EnumerateInterfaces() override { return {"fuzz"}; }
  bool Describe(const std::string&, korvid::HidInterfaceInfo& info) override {
    info.attributes = {korvid::KorvidModel().vendorId, korvid::KorvidModel().productId, input_.Word()};
    info.collections = {{korvid::kConfigUsagePage, korvid::kConfigUsage}};
    return true;
  }
  std::unique_ptr<korvid::HidDevice> Open(const std::string&) override { return std::make_unique<FuzzDevice>(input_); }
  void Sleep(uint32_t) override {}

 private:
  Input& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  FuzzPort port(input);
  korvid::LinkState link;
  link.port = &port;
  if (korvid::OpenConfigInterface(link, korvid::KorvidModel().vendorId, korvid::KorvidModel().productId) != 1) return 0;
  uint8_t status = 0;
  korvid::DeviceImage image{};
  korvid::QueryStatus(link, status);
  korvid::ReadConfigBlock(link, image);
  korvid::WriteConfigBlock(link, image, 0);
  korvid::CommitProfile(link, 0);
  (void)korvid::FormatFirmwareVersion(korvid::FirmwareVersionNumber(link));
  return 0;
}
