#include "device/hidraw.h"

#include <chrono>
#include <thread>

#include "device/error_codes.h"
#include "device/hidraw_sysfs.h"
#include "device/hidraw_transport.h"

namespace korvid::hidraw {

namespace fs = std::filesystem;

namespace {

class HidrawPort : public HidPort {
 public:
  HidrawPort(fs::path sysfsRoot, fs::path devRoot) : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

  std::vector<std::string> EnumerateInterfaces() override {
    std::vector<std::string> paths;
    for (const std::string& name : ListHidrawNodes(sysfsRoot_)) paths.push_back((devRoot_ / name).string());
    return paths;
  }

  bool Describe(const std::string& path, HidInterfaceInfo& info) override {
    const std::string name = fs::path(path).filename().string();
    if (!IsNodeName(name)) return false;
    if (auto sysfs = ReadSysfsInfo(sysfsRoot_, name)) {
      info.attributes = sysfs->attributes;
      info.collections = sysfs->collections;
      return true;
    }
    return DescribeThroughNode(path, info, lastOpenError_);
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    lastOpenError_ = 0;
    if (!IsNodeName(fs::path(path).filename().string())) {
      lastOpenError_ = kErrorFileNotFound;
      return nullptr;
    }
    return OpenNode(path, lastOpenError_);
  }

  uint32_t LastOpenError() const override { return lastOpenError_; }

  void Sleep(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
  // The device node itself: flock on it is seen by every program that uses it.
  std::string LockKey(const std::string& path) override { return path; }

 private:
  fs::path sysfsRoot_;
  fs::path devRoot_;
  uint32_t lastOpenError_ = 0;
};

}  // namespace

std::unique_ptr<HidPort> MakeHidrawPort(const fs::path& sysfsRoot, const fs::path& devRoot) {
  return std::make_unique<HidrawPort>(sysfsRoot, devRoot);
}

}  // namespace korvid::hidraw

namespace korvid {

std::unique_ptr<HidPort> MakePlatformHidPort() { return hidraw::MakeHidrawPort(); }

}  // namespace korvid
