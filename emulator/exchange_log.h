#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "emulator/faults.h"

// One line of exchange.log per feature report call, successful or not:
//
//   SET len=64 id=A1 cmd=03 index=0 status=- result=ok
//   GET len=1041 id=A1 cmd=07 index=- status=01 result=ok
//   SET len=1041 id=A0 cmd=08 index=0 status=- result=error:87
//   GET len=64 id=A1 cmd=03 index=- status=01 result=short:10
//
// len is the caller's length; id (hex) the report ID in byte 0 of the
// caller's buffer. For a SET, cmd (hex) is byte 1 and index (decimal) byte 5
// of the request. For a GET, cmd is the command whose reply was answered
// ("-" when none was pending) and status (hex) byte 1 of the reply as
// delivered. "-" stands for a value the call did not have. result is "ok",
// "error:CODE" (decimal Windows error code) or, for a GET that delivered
// fewer bytes than asked for, "short:COUNT".
namespace korvid::emulator {

struct ExchangeRecord {
  FeatureCall call = FeatureCall::kSet;
  size_t length = 0;
  std::optional<uint8_t> reportId;
  std::optional<uint8_t> command;
  std::optional<uint8_t> index;
  std::optional<uint8_t> status;
  uint32_t error = 0;
  size_t delivered = 0;  // GET: bytes copied to the caller
};

// The line for one call, ending in '\n'.
std::string FormatExchangeLine(const ExchangeRecord& record);

}  // namespace korvid::emulator
