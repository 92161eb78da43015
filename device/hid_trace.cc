#include "device/hid_trace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace korvid {
namespace {

// What the port and the devices it opened share: they may end in any order.
struct Trace {
  HidObserver observer;
  TraceClock clock;

  void Report(HidEvent event, double startMs) const {
    event.startMs = startMs;
    event.durationMs = clock() - startMs;
    if (observer) observer(event);
  }
};

class TracingDevice : public HidDevice {
 public:
  TracingDevice(std::unique_ptr<HidDevice> inner, std::shared_ptr<const Trace> trace)
      : inner_(std::move(inner)), trace_(std::move(trace)) {}

  bool SetFeature(uint8_t* data, size_t length) override {
    HidEvent event;
    event.kind = HidEventKind::kSetFeature;
    event.count = length;
    // Copied before the call: a backend may use the buffer.
    if (data) event.data.assign(data, data + length);
    const double start = trace_->clock();
    const bool ok = inner_->SetFeature(data, length);
    event.ok = ok;
    if (!ok) event.error = inner_->LastError();
    trace_->Report(std::move(event), start);
    return ok;
  }

  int GetFeature(uint8_t* data, size_t length) override {
    HidEvent event;
    event.kind = HidEventKind::kGetFeature;
    event.count = length;
    const double start = trace_->clock();
    const int received = inner_->GetFeature(data, length);
    event.ok = received >= 0;
    if (event.ok && data) event.data.assign(data, data + std::min(static_cast<size_t>(received), length));
    if (!event.ok) event.error = inner_->LastError();
    trace_->Report(std::move(event), start);
    return received;
  }

  uint32_t LastError() const override { return inner_->LastError(); }

 private:
  std::unique_ptr<HidDevice> inner_;
  std::shared_ptr<const Trace> trace_;
};

class TracingPort : public HidPort {
 public:
  TracingPort(std::unique_ptr<HidPort> inner, std::shared_ptr<const Trace> trace)
      : inner_(std::move(inner)), trace_(std::move(trace)) {}

  std::vector<std::string> EnumerateInterfaces() override {
    const double start = trace_->clock();
    std::vector<std::string> paths = inner_->EnumerateInterfaces();
    HidEvent event;
    event.kind = HidEventKind::kEnumerate;
    event.count = paths.size();
    trace_->Report(std::move(event), start);
    return paths;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    const double start = trace_->clock();
    std::unique_ptr<HidDevice> device = inner_->Open(path);
    HidEvent event;
    event.kind = HidEventKind::kOpen;
    event.path = path;
    event.ok = device != nullptr;
    if (!device) event.error = inner_->LastOpenError();
    trace_->Report(std::move(event), start);
    if (!device) return nullptr;
    return std::make_unique<TracingDevice>(std::move(device), trace_);
  }

  bool Describe(const std::string& path, HidInterfaceInfo& info) override { return inner_->Describe(path, info); }
  uint32_t LastOpenError() const override { return inner_->LastOpenError(); }
  // The traced program takes the same lock as any other.
  std::string LockKey(const std::string& path) override { return inner_->LockKey(path); }

  void Sleep(uint32_t milliseconds) override {
    const double start = trace_->clock();
    inner_->Sleep(milliseconds);
    HidEvent event;
    event.kind = HidEventKind::kSleep;
    event.count = milliseconds;
    trace_->Report(std::move(event), start);
  }

 private:
  std::unique_ptr<HidPort> inner_;
  std::shared_ptr<const Trace> trace_;
};

TraceClock SteadyClockFromNow() {
  const auto origin = std::chrono::steady_clock::now();
  return [origin] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin).count();
  };
}

std::string Printf(const char* format, double a, double b = 0) {
  char text[64] = {};
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

std::string HexBytes(const std::vector<uint8_t>& data) {
  std::string text;
  const size_t shown = std::min(data.size(), kTraceBytesShown);
  for (size_t i = 0; i < shown; ++i) {
    char byte[4] = {};
    std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(data[i]));
    text += ' ';
    text += byte;
  }
  if (data.size() > shown) text += " ...";
  return text;
}

std::string ReportId(const std::vector<uint8_t>& data) {
  if (data.empty()) return "--";
  char id[4] = {};
  std::snprintf(id, sizeof id, "%02X", static_cast<unsigned>(data[0]));
  return id;
}

std::string Failure(const HidEvent& event) { return " -> failed, error " + std::to_string(event.error); }

}  // namespace

std::unique_ptr<HidPort> MakeTracingPort(std::unique_ptr<HidPort> inner, HidObserver observer, TraceClock clock) {
  auto trace = std::make_shared<Trace>();
  trace->observer = std::move(observer);
  trace->clock = clock ? std::move(clock) : SteadyClockFromNow();
  return std::make_unique<TracingPort>(std::move(inner), std::move(trace));
}

std::string FormatHidEvent(const HidEvent& event) {
  std::string line = Printf("+%7.1f ms  ", event.startMs);
  const std::string length = " len " + std::to_string(event.count);
  switch (event.kind) {
    case HidEventKind::kEnumerate:
      line += "enumerate -> " + std::to_string(event.count) + " interface" + (event.count == 1 ? "" : "s");
      break;
    case HidEventKind::kOpen:
      line += "open " + event.path + (event.ok ? " -> ok" : " -> failed");
      if (!event.ok && event.error != 0) line += " (error " + std::to_string(event.error) + ")";
      break;
    case HidEventKind::kSetFeature:
      line += "SET " + ReportId(event.data) + length + ":" + HexBytes(event.data);
      line += event.ok ? " -> ok" : Failure(event);
      break;
    case HidEventKind::kGetFeature:
      line += "GET" + length;
      if (event.ok) {
        line += " -> " + std::to_string(event.data.size()) + " bytes:" + HexBytes(event.data);
      } else {
        line += Failure(event);
      }
      break;
    case HidEventKind::kSleep:
      line += "pause " + std::to_string(event.count) + " ms";
      break;
  }
  return line + Printf(" (%.1f ms)", event.durationMs);
}

}  // namespace korvid
