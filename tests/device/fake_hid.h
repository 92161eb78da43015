#pragma once
// A scripted HID port for the link and command tests. Every call is logged
// as one line ("open P", "set 64", "sleep 50", ...) so that a test can
// compare the whole exchange; the bytes of every set and get request are
// kept as well. Set and get answers come from queues; a call with nothing
// scripted fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "device/error_codes.h"
#include "device/hid_port.h"
#include "device/link.h"
#include "profile/device_model.h"

namespace korvid::testing {

inline constexpr uint8_t kScribble = 0xEE;

struct FakeInterface {
  std::string path;
  HidAttributes attributes;
  HidCaps caps;                       // its first top-level collection
  std::vector<HidCaps> moreCollections;
  bool describable = true;            // its IDs and collections can be read
  bool openable = true;               // it opens read-write
  uint32_t openError = kErrorSharingViolation;  // why it does not
};

// One scripted answer to a set or get.
struct FakeResult {
  bool ok = true;
  uint32_t error = kErrorSuccess;
  std::vector<uint8_t> reply;  // copied to the front of the buffer (get)
  int count = -1;              // bytes reported by a get; -1: the full length
};

inline FakeResult Succeed() { return {}; }
inline FakeResult FailWith(uint32_t error) { return {false, error, {}, -1}; }
// A get reply of the given size with report ID 0xA1 and the status byte.
inline FakeResult ReplyWithStatus(uint8_t status, size_t size = 64) {
  FakeResult result;
  result.reply.assign(size, 0);
  result.reply[0] = 0xA1;
  result.reply[1] = status;
  return result;
}
inline FakeResult ShortReply(int count) {
  FakeResult result = ReplyWithStatus(1);
  result.count = count;
  return result;
}

// The mouse's configuration collection: path "config", the model's IDs.
inline FakeInterface MouseConfigInterface(uint16_t release = 0x0109) {
  FakeInterface config;
  config.path = "config";
  config.attributes = {KorvidModel().vendorId, KorvidModel().productId, release};
  config.caps = {kConfigUsagePage, kConfigUsage};
  return config;
}

// OpenConfigInterface with the model's IDs.
inline int OpenMouseConfig(LinkState& link) {
  return OpenConfigInterface(link, KorvidModel().vendorId, KorvidModel().productId);
}

class FakePort;

class FakeDevice : public HidDevice {
 public:
  FakeDevice(FakePort& port, FakeInterface interface) : port_(port), interface_(std::move(interface)) {}
  ~FakeDevice() override;
  bool SetFeature(uint8_t* data, size_t length) override;
  int GetFeature(uint8_t* data, size_t length) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  FakePort& port_;
  FakeInterface interface_;
  uint32_t lastError_ = kErrorSuccess;
};

class FakePort : public HidPort {
 public:
  std::vector<FakeInterface> interfaces;
  std::deque<FakeResult> setScript;
  std::deque<FakeResult> getScript;
  std::vector<std::string> log;
  std::vector<std::vector<uint8_t>> sentReports;  // bytes of every set
  std::vector<std::vector<uint8_t>> getRequests;  // buffer at entry of every get

  std::vector<std::string> EnumerateInterfaces() override {
    log.push_back("enumerate");
    std::vector<std::string> paths;
    for (const FakeInterface& interface : interfaces) paths.push_back(interface.path);
    return paths;
  }

  bool Describe(const std::string& path, HidInterfaceInfo& info) override {
    log.push_back("describe " + path);
    const FakeInterface* interface = Find(path);
    if (!interface || !interface->describable) return false;
    info.attributes = interface->attributes;
    info.collections = {interface->caps};
    info.collections.insert(info.collections.end(), interface->moreCollections.begin(),
                            interface->moreCollections.end());
    return true;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    log.push_back("open " + path);
    lastOpenError = 0;
    const FakeInterface* interface = Find(path);
    if (!interface) return nullptr;
    if (!interface->openable) {
      lastOpenError = interface->openError;
      return nullptr;
    }
    return std::make_unique<FakeDevice>(*this, *interface);
  }

  uint32_t LastOpenError() const override { return lastOpenError; }

  void Sleep(uint32_t milliseconds) override { log.push_back("sleep " + std::to_string(milliseconds)); }
  std::string LockKey(const std::string&) override { return lockKey; }

  std::string lockKey;  // empty: no lock to take

  uint32_t lastOpenError = 0;

  const FakeInterface* Find(const std::string& path) const {
    for (const FakeInterface& interface : interfaces)
      if (interface.path == path) return &interface;
    ADD_FAILURE() << "an interface never enumerated: " << path;
    return nullptr;
  }

  // The log since the last call, cleared.
  std::vector<std::string> TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
  }
};

inline FakeDevice::~FakeDevice() { port_.log.push_back("close " + interface_.path); }

inline bool FakeDevice::SetFeature(uint8_t* data, size_t length) {
  port_.log.push_back("set " + std::to_string(length));
  port_.sentReports.emplace_back(data, data + length);
  if (port_.setScript.empty()) {
    ADD_FAILURE() << "unexpected set-feature";
    lastError_ = kErrorGenFailure;
    return false;
  }
  FakeResult result = port_.setScript.front();
  port_.setScript.pop_front();
  if (!result.ok) {
    // A failed call may leave anything in the buffer.
    std::fill(data, data + length, kScribble);
    lastError_ = result.error;
  }
  return result.ok;
}

inline int FakeDevice::GetFeature(uint8_t* data, size_t length) {
  port_.log.push_back("get " + std::to_string(length));
  port_.getRequests.emplace_back(data, data + length);
  if (port_.getScript.empty()) {
    ADD_FAILURE() << "unexpected get-feature";
    lastError_ = kErrorGenFailure;
    return -1;
  }
  FakeResult result = port_.getScript.front();
  port_.getScript.pop_front();
  if (!result.ok) {
    std::fill(data, data + length, kScribble);
    lastError_ = result.error;
    return -1;
  }
  size_t count = result.count < 0 ? length : std::min(length, static_cast<size_t>(result.count));
  std::copy_n(result.reply.begin(), std::min(count, result.reply.size()), data);
  return static_cast<int>(count);
}

}  // namespace korvid::testing
