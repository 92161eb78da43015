#include "emulator/exchange_log.h"

#include <cstdio>

namespace korvid::emulator {
namespace {

constexpr char kNone[] = "-";

std::string Hex(std::optional<uint8_t> value) {
  if (!value) return kNone;
  char text[3];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(*value));
  return text;
}

std::string Decimal(std::optional<uint8_t> value) {
  return value ? std::to_string(*value) : std::string(kNone);
}

std::string Result(const ExchangeRecord& record) {
  if (record.error != 0) return "error:" + std::to_string(record.error);
  if (record.call == FeatureCall::kGet && record.delivered < record.length) {
    return "short:" + std::to_string(record.delivered);
  }
  return "ok";
}

}  // namespace

std::string FormatExchangeLine(const ExchangeRecord& record) {
  std::string line = record.call == FeatureCall::kSet ? "SET" : "GET";
  line += " len=" + std::to_string(record.length);
  line += " id=" + Hex(record.reportId);
  line += " cmd=" + Hex(record.command);
  line += " index=" + Decimal(record.index);
  line += " status=" + Hex(record.status);
  line += " result=" + Result(record);
  line += '\n';
  return line;
}

}  // namespace korvid::emulator
