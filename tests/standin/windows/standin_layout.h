#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/emulated_mouse.h"

// The test stand-in for the system's HID layer (hid.dll and setupapi.dll
// loaded beside the shipped program under Wine): what the DLLs and the plug
// helper share, with no platform types in it.
//
// The mouse folder (named by KORVID_HID_STANDIN) is the emulated mouse's
// folder (emulator/emulated_mouse.h) with two more entries:
//   interfaces/     one entry per HID interface present, named after the
//                   emulator's interface path; CreateFileW opens them. The
//                   configuration collection and the other vendor's device
//                   are regular files; the mouse's keyboard and pointer
//                   collections, which the system opens exclusively, are
//                   symbolic links to read-only system files, so that they
//                   open with access 0 and refuse read/write access.
//   hid-calls.log   one line per HidD_SetFeature / HidD_GetFeature
//                   (FormatCallLine).
// The emulator's `unplugged` file stays the plug: the mouse's entries exist
// only while it is absent, and each call brings them in line with it.
namespace korvid::standin {

inline constexpr char kFolderVariable[] = "KORVID_HID_STANDIN";
// "collection" (the default) or "report": see LengthMode.
inline constexpr char kLengthVariable[] = "KORVID_HID_STANDIN_LENGTH";
inline constexpr char kInterfacesFolder[] = "interfaces";
inline constexpr char kCallLog[] = "hid-calls.log";

// How long a feature buffer must be. kCollection: at least the collection's
// longest feature report (HIDP_CAPS.FeatureReportByteLength), as the class
// driver's documentation asks of HidD_GetFeature / HidD_SetFeature.
// kReport: at least the length of the report named in byte 0.
enum class LengthMode { kCollection, kReport };

// "report" gives kReport; anything else (unset included) kCollection.
LengthMode LengthModeFromText(std::string_view text);

struct FeatureReport {
  uint8_t id = 0;
  uint16_t length = 0;  // the report ID byte included
};

// One top-level collection as the class driver describes it (HIDP_CAPS).
struct Collection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t inputReportLength = 0;
  uint16_t outputReportLength = 0;
  std::vector<FeatureReport> featureReports;
  // The longest feature report; 0 without any.
  uint16_t FeatureReportLength() const;
};

struct StandinInterface {
  const emulator::EmulatedInterface* emulated = nullptr;
  // The entry's name in interfaces/: the emulator's path without "\\?\".
  std::string fileName;
  // For a collection the system holds (keyboard, pointer): the read-only
  // file its entry links to; empty for a regular file.
  std::string systemFile;
  Collection collection;
};

// One entry per emulator interface, in the emulator's enumeration order.
const std::vector<StandinInterface>& StandinInterfaces();

// What the class driver makes of one feature request before the device
// sees it: error 0 and the report's own length (the bytes the device gets,
// from the front of the buffer), or the Windows error the call fails with.
struct FeatureCheck {
  uint32_t error = 0;
  size_t reportLength = 0;
};
FeatureCheck CheckFeatureRequest(const Collection& collection, LengthMode mode, const uint8_t* buffer,
                                 size_t length);

enum class CallKind { kSet, kGet };

// One line of hid-calls.log, ending in '\n':
//   SET len=4097 id=A1 cmd=03 result=ok
//   GET len=64 id=A1 cmd=03 result=error:87
// len is the caller's buffer length, id byte 0 of it. cmd is byte 1 of a
// set-feature's buffer; for a get-feature the command of the last request
// sent on that handle, whose reply is read. "-" stands for a value the call
// did not have.
std::string FormatCallLine(CallKind kind, size_t length, std::optional<uint8_t> reportId,
                           std::optional<uint8_t> command, uint32_t error);

}  // namespace korvid::standin
