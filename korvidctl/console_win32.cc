#include <windows.h>

#include "profile/text.h"
#include "korvidctl/console.h"

namespace korvidctl {

void PrepareConsoleForUtf8() { ::SetConsoleOutputCP(CP_UTF8); }

// Windows has no broken-pipe signal: the write fails.
void ReportBrokenPipes() {}

std::filesystem::path PathFromArgument(const std::string& text) {
  std::filesystem::path path;
  if (korvid::PathFromUtf16(korvid::FromUtf8(text), path)) return path;
  return std::filesystem::path(text);
}

std::tm UtcTime(std::time_t time) {
  std::tm utc{};
  gmtime_s(&utc, &time);
  return utc;
}

}  // namespace korvidctl

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(korvid::ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(argv[i]))));
  return korvidctl::Main(std::move(args));
}
