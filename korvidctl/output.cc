#include "korvidctl/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace korvidctl {
namespace {

int firstWriteError = 0;

}  // namespace

void PrintOutput(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && firstWriteError == 0)
    firstWriteError = errno != 0 ? errno : EIO;
}

std::string FinishOutput() {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
  if (flushed && firstWriteError == 0) return {};
  const int reason = firstWriteError != 0 ? firstWriteError : errno;
  return reason != 0 ? std::strerror(reason) : "unknown reason";
}

std::string TerminalSafe(std::string_view text, size_t limit) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (out.size() >= limit) return out + "...";
    const auto byte = static_cast<unsigned char>(text[i]);
    // U+0080 to U+009F are C2 80 to C2 9F in UTF-8.
    const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte >= 0x20 && byte != 0x7F && !c1) {
      out += static_cast<char>(byte);
      continue;
    }
    const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : byte;
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", code);
    out += escaped;
  }
  return out;
}

}  // namespace korvidctl
