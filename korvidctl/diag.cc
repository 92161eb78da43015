#include "korvidctl/diag.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

#include "device/commands.h"
#include "device/hid_trace.h"
#include "device/link.h"
#include "device/mouse_lock.h"
#include "device/outcome_reason.h"
#include "device/session.h"
#include "korvid_version.h"
#include "profile/device_model.h"
#include "profile/text.h"
#include "korvidctl/console.h"
#include "korvidctl/exit_codes.h"
#include "korvidctl/mouse_session.h"
#include "korvidctl/output.h"
#include "korvidctl/report.h"

namespace korvidctl {

using namespace korvid;

namespace {

std::string Hex4(unsigned value) {
  char text[8] = {};
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  return text;
}

std::string Milliseconds(double ms) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%8.1f ms", ms);
  return text;
}

std::string UtcNow() {
  const std::tm utc = UtcTime(std::time(nullptr));
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

// What one interface told of itself, asked without opening it for reports.
struct InterfaceSeen {
  std::string path;
  std::optional<HidInterfaceInfo> info;
};

std::vector<InterfaceSeen> LookAtInterfaces(HidPort& port) {
  std::vector<InterfaceSeen> seen;
  for (const std::string& path : port.EnumerateInterfaces()) {
    InterfaceSeen entry;
    entry.path = path;
    if (HidInterfaceInfo info; port.Describe(path, info)) entry.info = std::move(info);
    seen.push_back(std::move(entry));
  }
  return seen;
}

// Generic desktop usages 6 and 2: the mouse's other collections.
std::string CollectionName(const HidCaps& caps) {
  if (caps.usagePage == 1 && caps.usage == 6) return "keyboard";
  if (caps.usagePage == 1 && caps.usage == 2) return "pointer";
  return "other";
}

std::string PathText(const std::filesystem::path& path) {
  std::u16string text;
  return Utf16FromPath(path, text) ? ToUtf8(text) : path.string();
}

bool HasConfigCollection(const HidInterfaceInfo& info) {
  for (const HidCaps& caps : info.collections)
    if (caps.usagePage == kConfigUsagePage && caps.usage == kConfigUsage) return true;
  return false;
}

// Whether the link took the interface and, if not, why: the rule of
// OpenConfigInterface, told in words.
std::string Verdict(const InterfaceSeen& entry, const LinkState& link) {
  if (!link.path.empty() && entry.path == link.path) return "taken: the mouse's configuration interface";
  if (!entry.info) return "not taken: its IDs could not be read";
  const DeviceModel& model = KorvidModel();
  if (entry.info->attributes.vendorId != model.vendorId || entry.info->attributes.productId != model.productId)
    return "not taken: another device";
  if (entry.info->collections.empty()) return "not taken: its usages could not be read";
  if (!HasConfigCollection(*entry.info))
    return "not taken: the mouse's " + CollectionName(entry.info->collections.front()) + " collection";
  if (entry.path == link.refusedPath)
    return "not taken: could not be opened (error " + std::to_string(link.lastError) + ")";
  return "not taken";
}

std::string InterfacesSection(const std::vector<InterfaceSeen>& seen, const LinkState& link) {
  std::string text = "HID interfaces seen: " + std::to_string(seen.size()) + "\n";
  for (const InterfaceSeen& entry : seen) {
    text += "  " + TerminalSafe(entry.path) + "\n    ";
    if (entry.info) {
      const HidAttributes& ids = entry.info->attributes;
      text += "vendor " + Hex4(ids.vendorId) + "  product " + Hex4(ids.productId) + "  release " +
              Hex4(ids.versionNumber) + "  ";
      for (const HidCaps& caps : entry.info->collections)
        text += "usage page " + Hex4(caps.usagePage) + "  usage " + Hex4(caps.usage) + "  ";
    }
    text += "-> " + Verdict(entry, link) + "\n";
  }
  return text;
}

// One step of the exchange: its name, result and duration.
struct Step {
  std::string name;
  bool ok = false;
  double ms = 0;
  std::string detail;
};

template <typename Action>
Step Timed(const std::string& name, Action action) {
  const auto start = std::chrono::steady_clock::now();
  Step step;
  step.name = name;
  step.ok = action(step.detail);
  step.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return step;
}

std::string FailureDetail(const LinkState& link) {
  if (link.lastError == kErrorSuccess) return "the reply was refused";
  const std::string code = "error " + std::to_string(link.lastError);
  return IsRefusalError(link.lastError) ? "the mouse refused the request, " + code : code;
}

// The block inside the last complete long reply received, if any.
std::optional<ConfigBlock> BlockReceived(const std::vector<HidEvent>& events) {
  for (auto event = events.rbegin(); event != events.rend(); ++event) {
    if (event->kind != HidEventKind::kGetFeature || !event->ok) continue;
    if (event->data.size() != static_cast<size_t>(kLongReportLength)) continue;
    ConfigBlock block{};
    std::copy_n(event->data.begin() + kBlockOffsetInReport, kBlockSize, block.begin());
    return block;
  }
  return std::nullopt;
}

std::string BlockSection(const ConfigBlock& block) {
  std::string text;
  const std::string dump = HexDump(block);
  size_t offset = 0;
  for (size_t start = 0; start < dump.size();) {
    size_t end = dump.find('\n', start);
    if (end == std::string::npos) end = dump.size();
    text += "  " + Hex4(static_cast<unsigned>(offset)) + "  " + dump.substr(start, end - start) + "\n";
    offset += 16;
    start = end + 1;
  }
  return text;
}

}  // namespace

int Diag(const std::filesystem::path& emulatorFolder, bool verbose, bool requireLock) {
  std::vector<HidEvent> events;
  std::unique_ptr<HidPort> port = MakeTracingPort(MakeCommandPort(emulatorFolder, verbose),
                                                  [&events](const HidEvent& event) { events.push_back(event); });

  std::string report = "Korvid diagnostics, " + UtcNow() + "\n\n";
  report += std::string("Program:       korvidctl ") + KORVID_VERSION_LABEL + " (" + KORVID_VERSION_TEXT + ")\n";
  report += "System:        " + OperatingSystemText() + "\n";
  report += "HID access:    " +
            (emulatorFolder.empty() ? HidAccessText() : "the emulated mouse in " + PathText(emulatorFolder)) +
            "\n";
  if (const std::string rule = AccessRuleText(); emulatorFolder.empty() && !rule.empty())
    report += "Access:        " + rule + "\n";

  const std::vector<InterfaceSeen> seen = LookAtInterfaces(*port);
  events.clear();

  // Discovery, status query and block read: the reads of `show`, step by step.
  LinkState link;
  link.port = port.get();
  std::vector<Step> steps;
  SessionOutcome found;
  steps.push_back(Timed("discovery", [&](std::string& detail) {
    found = FindMouse(link);
    detail = found.result == SessionResult::kDone ? "found " + link.path : OutcomeMessage(found);
    return found.result == SessionResult::kDone;
  }));
  int exitCode = found.result == SessionResult::kDone ? kExitOk : OutcomeExitCode(found);
  // The reads wait for any other program that is using the mouse, as every
  // read does.
  std::unique_ptr<MouseLock> lock;
  if (exitCode == kExitOk) {
    steps.push_back(Timed("mouse lock", [&](std::string& detail) {
      MouseLockResult locked = MouseLockResult::kUnavailable;
      uint32_t error = 0;
      lock = AcquireMouseLock(port->LockKey(link.path), link.lockWaitMs, locked, &error);
      switch (locked) {
        case MouseLockResult::kHeld: detail = "held"; return true;
        case MouseLockResult::kBusy: detail = korvid::kMouseBusyReason; return false;
        case MouseLockResult::kUnavailable: detail = "none to take"; return true;
        case MouseLockResult::kFailed: break;
      }
      detail = "could not be made (system error " + std::to_string(error) + ")" +
               (requireLock ? "" : "; going on without it (--no-lock)");
      return !requireLock;
    }));
  }
  if (exitCode == kExitOk && steps.back().ok) {
    steps.push_back(Timed("status query", [&](std::string& detail) {
      uint8_t status = 0;
      const bool ok = QueryStatus(link, status) == kCommandOk;
      detail = ok ? "status value " + std::to_string(status) : FailureDetail(link);
      return ok;
    }));
  }
  if (exitCode == kExitOk && steps.back().ok) {
    steps.push_back(Timed("block read", [&](std::string& detail) {
      DeviceImage image{};
      const bool ok = ReadConfigBlock(link, image) == kCommandOk;
      detail = ok ? "1024 bytes" : FailureDetail(link);
      return ok;
    }));
  }
  // The exit code `show` gives for the same failure.
  if (exitCode == kExitOk && !steps.back().ok)
    exitCode = link.lastError == kErrorDeviceNotConnected ? kExitNoMouse : kExitMouseFailed;

  report += "Firmware:      " + found.firmwareVersion;
  if (found.result == SessionResult::kDone) report += " (release number " + Hex4(link.versionNumber) + ")";
  report += "\n\n" + InterfacesSection(seen, link) + "\n";

  report += "Exchange (reads only; nothing is written to the mouse):\n";
  for (const Step& step : steps) {
    char name[24] = {};
    std::snprintf(name, sizeof name, "%-14s", step.name.c_str());
    report += "  " + std::string(name) + (step.ok ? "ok    " : "FAILED") + Milliseconds(step.ms) + "  " +
              step.detail + "\n";
  }
  report += std::string("Result:        ") +
            (exitCode == kExitOk                ? "the configuration was read"
             : found.result != SessionResult::kDone ? OutcomeMessage(found)
                                                : "the " + steps.back().name + " failed") +
            "\n\n";

  if (std::optional<ConfigBlock> block = BlockReceived(events); block && exitCode == kExitOk) {
    report += "Configuration block as read (1024 bytes):\n" + BlockSection(*block) + "\n";
  } else {
    report += "Configuration block: not read\n\n";
  }

  report += "Reports exchanged:\n";
  for (const HidEvent& event : events) report += "  " + FormatHidEvent(event) + "\n";
  PrintOutput(report);
  return exitCode;
}

}  // namespace korvidctl
