#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_port.h"

// A HidPort that passes every call on to another port and tells an observer
// what went through it: the interfaces enumerated and opened, each feature
// report sent and received with its bytes and result, and the pauses, each
// with its start and duration. korvidctl --verbose prints the events;
// korvidctl diag keeps them for its report.
namespace korvid {

enum class HidEventKind : uint8_t { kEnumerate, kOpen, kSetFeature, kGetFeature, kSleep };

struct HidEvent {
  HidEventKind kind = HidEventKind::kEnumerate;
  std::string path;           // kOpen: the interface opened
  std::vector<uint8_t> data;  // kSetFeature: the report sent; kGetFeature: the bytes received
  // kSetFeature, kGetFeature: the caller's report length; kEnumerate: the
  // interfaces found; kSleep: the milliseconds asked for.
  size_t count = 0;
  bool ok = true;
  uint32_t error = 0;  // Windows error code of a failed report (see device/error_codes.h)
  double startMs = 0;  // since the tracing port was made
  double durationMs = 0;
};

using HidObserver = std::function<void(const HidEvent&)>;
// Milliseconds on a monotonic clock; tests give their own.
using TraceClock = std::function<double()>;

// Wraps `inner`; every call is passed on unchanged and then reported to
// `observer`. Without a clock the steady clock is used.
std::unique_ptr<HidPort> MakeTracingPort(std::unique_ptr<HidPort> inner, HidObserver observer,
                                         TraceClock clock = {});

// One line for an event, without a line end, e.g.
//   "+  52.1 ms  GET A1 len 64 -> 64 bytes A1 01 00 00 ... (0.3 ms)"
// Reports show their first kTraceBytesShown bytes.
std::string FormatHidEvent(const HidEvent& event);
inline constexpr size_t kTraceBytesShown = 24;

}  // namespace korvid
