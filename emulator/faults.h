#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The emulated mouse's fault script: the text of the `faults` file in the
// emulator folder, read before every feature report call. One fault a line;
// '#' starts a comment that runs to the end of the line; blank lines and
// lines that do not follow the grammar are ignored (and kept as they are
// when the file is rewritten).
//
//   busy N [cmd=XX]             the next N get-feature replies carry status 4
//   status VALUE N [cmd=XX]     the next N get-feature replies carry status
//                               byte VALUE (0-255)
//   short BYTES N [cmd=XX]      the next N get-feature calls return only
//                               BYTES bytes of the reply
//   send-error CODE N [cmd=XX]  the next N set-feature calls fail with the
//                               Windows error CODE
//   get-error CODE N [cmd=XX]   the next N get-feature calls fail with CODE
//   error CODE [cmd=XX]         every feature call fails with CODE for as
//                               long as the line is there (a permanent error)
//   open-error CODE N           the next N opens of the configuration
//                               interface fail with CODE, as when another
//                               program holds the mouse (it stays listed)
//   delay MS [cmd=XX]           every feature call takes MS milliseconds
//                               (1-5000, the USB stack's limit) longer, for
//                               as long as the line is there
//
// Kinds are written in lower case. CODE, N, VALUE and BYTES are decimal; N
// is 1 to 1000000, CODE is 1 to 4294967295, BYTES is 0 to 65535. `cmd=XX`
// (one or two hexadecimal digits, e.g. cmd=04) limits a fault to the calls
// of one command: for a set-feature the command byte of the request, for a
// get-feature the command whose reply is pending (a get-feature with nothing
// pending matches no cmd=). A faults file larger than 64 KiB is ignored.
//
// A call uses at most one fault: an `error` line that applies when there is
// one (never used up), else the first applicable counted line from the top,
// whose count then goes down by one. A `delay` line is not a call's fault: it
// slows every call it applies to on top of that fault (the longest one when
// several apply) and is never used up. A line whose count reaches 0 is removed;
// when no fault is left the file itself is removed.
namespace korvid::emulator {

enum class FaultKind { kBusy, kStatus, kShort, kSendError, kGetError, kError, kOpenError, kDelay };

struct Fault {
  FaultKind kind = FaultKind::kBusy;
  uint32_t code = 0;               // error code of send-error, get-error, error
  uint32_t value = 0;              // status byte of status, byte count of short, ms of delay
  uint32_t count = 0;              // uses left; unused by error
  std::optional<uint8_t> command;  // cmd=XX
  bool operator==(const Fault&) const = default;
};

// One line of the script as written, and its fault when it is one.
struct FaultLine {
  std::string text;
  std::optional<Fault> fault;
  bool operator==(const FaultLine&) const = default;
};

// What a fault may act on: a feature report, or opening the interface.
enum class FeatureCall { kSet, kGet, kOpen };

// What the picked fault does to one call. Nothing set: the call runs as usual.
struct FaultEffect {
  uint32_t error = 0;                  // non-zero: the call fails with it
  std::optional<uint8_t> status;       // the reply's status byte
  std::optional<size_t> replyLength;   // the reply is cut to this length
  uint32_t delayMs = 0;                // the call takes this much longer
  bool operator==(const FaultEffect&) const = default;
};

std::optional<Fault> ParseFault(std::string_view line);
std::string FormatFault(const Fault& fault);

std::vector<FaultLine> ParseFaults(std::string_view text);
// Fault lines are written in their current form (with their comment), other
// lines unchanged; every line ends in '\n'.
std::string SerialiseFaults(const std::vector<FaultLine>& lines);
bool HasFaults(const std::vector<FaultLine>& lines);

// Picks the fault for one call of `call` kind concerning `command` (none for
// a get-feature without a pending reply) and uses it up by one. `changed`
// tells whether the script was altered (and so must be written back).
FaultEffect ConsumeFault(std::vector<FaultLine>& lines, FeatureCall call,
                         std::optional<uint8_t> command, bool& changed);

}  // namespace korvid::emulator
