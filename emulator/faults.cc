#include "emulator/faults.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "device/link.h"

namespace korvid::emulator {
namespace {

constexpr char kCommentStart = '#';
constexpr std::string_view kCommandPrefix = "cmd=";
constexpr uint64_t kMaxCount = 1000000;
constexpr uint64_t kMaxCode = 0xFFFFFFFFu;
constexpr uint64_t kMaxStatus = 0xFF;
constexpr uint64_t kMaxReplyBytes = 0xFFFF;
// The USB stack gives up on a control transfer after five seconds.
constexpr uint64_t kMaxDelayMs = 5000;

struct KindName {
  FaultKind kind;
  std::string_view name;
  bool hasArgument;  // CODE, VALUE or BYTES before the count
  bool hasCount;
};

constexpr KindName kKindNames[] = {
    {FaultKind::kBusy, "busy", false, true},
    {FaultKind::kStatus, "status", true, true},
    {FaultKind::kShort, "short", true, true},
    {FaultKind::kSendError, "send-error", true, true},
    {FaultKind::kGetError, "get-error", true, true},
    {FaultKind::kError, "error", true, false},
    {FaultKind::kOpenError, "open-error", true, true},
    {FaultKind::kDelay, "delay", true, false},
};

const KindName* FindKind(std::string_view name) {
  for (const KindName& entry : kKindNames) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

const KindName& KindOf(FaultKind kind) {
  for (const KindName& entry : kKindNames) {
    if (entry.kind == kind) return entry;
  }
  return kKindNames[0];
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// The whole word as a number in [min, max], else nothing.
std::optional<uint64_t> ParseNumber(std::string_view word, uint64_t min, uint64_t max, int base = 10) {
  uint64_t value = 0;
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, value, base);
  if (word.empty() || ec != std::errc() || ptr != end || value < min || value > max) return std::nullopt;
  return value;
}

std::optional<uint8_t> ParseCommand(std::string_view word) {
  if (word.substr(0, kCommandPrefix.size()) != kCommandPrefix) return std::nullopt;
  std::string_view digits = word.substr(kCommandPrefix.size());
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
  if (digits.size() > 2) return std::nullopt;
  auto value = ParseNumber(digits, 0, 0xFF, 16);
  if (!value) return std::nullopt;
  return static_cast<uint8_t>(*value);
}

// Kinds whose argument is a value (kept in Fault::value) rather than an
// error code.
bool HasValueArgument(FaultKind kind) {
  return kind == FaultKind::kStatus || kind == FaultKind::kShort || kind == FaultKind::kDelay;
}

uint64_t ArgumentMax(FaultKind kind) {
  switch (kind) {
    case FaultKind::kStatus: return kMaxStatus;
    case FaultKind::kShort: return kMaxReplyBytes;
    case FaultKind::kDelay: return kMaxDelayMs;
    default: return kMaxCode;
  }
}

uint64_t ArgumentMin(FaultKind kind) {
  return kind == FaultKind::kStatus || kind == FaultKind::kShort ? 0 : 1;
}

std::string_view CommentOf(std::string_view line) {
  size_t at = line.find(kCommentStart);
  return at == std::string_view::npos ? std::string_view{} : line.substr(at);
}

bool AppliesTo(const Fault& fault, FeatureCall call, std::optional<uint8_t> command) {
  if (fault.command && fault.command != command) return false;
  if (call == FeatureCall::kOpen) return fault.kind == FaultKind::kOpenError;
  switch (fault.kind) {
    case FaultKind::kError:
    case FaultKind::kDelay: return true;
    case FaultKind::kOpenError: return false;
    case FaultKind::kSendError: return call == FeatureCall::kSet;
    case FaultKind::kGetError:
    case FaultKind::kBusy:
    case FaultKind::kStatus:
    case FaultKind::kShort: return call == FeatureCall::kGet;
  }
  return false;
}

FaultEffect EffectOf(const Fault& fault) {
  FaultEffect effect;
  switch (fault.kind) {
    case FaultKind::kError:
    case FaultKind::kOpenError:
    case FaultKind::kSendError:
    case FaultKind::kGetError: effect.error = fault.code; break;
    case FaultKind::kBusy: effect.status = kStatusBusy; break;
    case FaultKind::kStatus: effect.status = static_cast<uint8_t>(fault.value); break;
    case FaultKind::kShort: effect.replyLength = fault.value; break;
    case FaultKind::kDelay: effect.delayMs = fault.value; break;
  }
  return effect;
}

// The one fault a call uses: an `error` line that applies, else the first
// applicable counted line, used up by one.
FaultEffect PickFault(std::vector<FaultLine>& lines, FeatureCall call, std::optional<uint8_t> command,
                      bool& changed) {
  for (const FaultLine& line : lines) {
    if (line.fault && line.fault->kind == FaultKind::kError && AppliesTo(*line.fault, call, command)) {
      return EffectOf(*line.fault);
    }
  }
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (!it->fault || it->fault->kind == FaultKind::kDelay || !AppliesTo(*it->fault, call, command)) continue;
    FaultEffect effect = EffectOf(*it->fault);
    changed = true;
    if (--it->fault->count == 0) lines.erase(it);
    return effect;
  }
  return {};
}

}  // namespace

std::optional<Fault> ParseFault(std::string_view line) {
  std::string_view body = line.substr(0, line.size() - CommentOf(line).size());
  std::vector<std::string_view> words = SplitWords(body);
  if (words.empty()) return std::nullopt;
  const KindName* kind = FindKind(words[0]);
  if (!kind) return std::nullopt;

  Fault fault;
  fault.kind = kind->kind;
  size_t next = 1;
  if (kind->hasArgument) {
    if (next >= words.size()) return std::nullopt;
    auto argument = ParseNumber(words[next++], ArgumentMin(kind->kind), ArgumentMax(kind->kind));
    if (!argument) return std::nullopt;
    if (HasValueArgument(kind->kind)) {
      fault.value = static_cast<uint32_t>(*argument);
    } else {
      fault.code = static_cast<uint32_t>(*argument);
    }
  }
  if (kind->hasCount) {
    if (next >= words.size()) return std::nullopt;
    auto count = ParseNumber(words[next++], 1, kMaxCount);
    if (!count) return std::nullopt;
    fault.count = static_cast<uint32_t>(*count);
  }
  if (next < words.size()) {
    fault.command = ParseCommand(words[next++]);
    if (!fault.command) return std::nullopt;
  }
  if (next != words.size()) return std::nullopt;
  return fault;
}

std::string FormatFault(const Fault& fault) {
  const KindName& kind = KindOf(fault.kind);
  std::string text(kind.name);
  if (kind.hasArgument) {
    text += ' ' + std::to_string(HasValueArgument(fault.kind) ? fault.value : fault.code);
  }
  if (kind.hasCount) text += ' ' + std::to_string(fault.count);
  if (fault.command) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(*fault.command));
    text += ' ';
    text += kCommandPrefix;
    text += hex;
  }
  return text;
}

std::vector<FaultLine> ParseFaults(std::string_view text) {
  std::vector<FaultLine> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({std::string(line), ParseFault(line)});
  }
  return lines;
}

std::string SerialiseFaults(const std::vector<FaultLine>& lines) {
  std::string text;
  for (const FaultLine& line : lines) {
    if (line.fault) {
      text += FormatFault(*line.fault);
      std::string_view comment = CommentOf(line.text);
      if (!comment.empty()) {
        text += "  ";
        text += comment;
      }
    } else {
      text += line.text;
    }
    text += '\n';
  }
  return text;
}

bool HasFaults(const std::vector<FaultLine>& lines) {
  for (const FaultLine& line : lines) {
    if (line.fault) return true;
  }
  return false;
}

FaultEffect ConsumeFault(std::vector<FaultLine>& lines, FeatureCall call,
                         std::optional<uint8_t> command, bool& changed) {
  changed = false;
  // A delay slows the call whatever else happens to it.
  uint32_t delayMs = 0;
  for (const FaultLine& line : lines) {
    if (line.fault && line.fault->kind == FaultKind::kDelay && AppliesTo(*line.fault, call, command))
      delayMs = std::max(delayMs, line.fault->value);
  }
  FaultEffect effect = PickFault(lines, call, command, changed);
  effect.delayMs = delayMs;
  return effect;
}

}  // namespace korvid::emulator
