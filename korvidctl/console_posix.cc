#include <csignal>

#include "korvidctl/console.h"

namespace korvidctl {

// Terminals here take UTF-8 as it is.
void PrepareConsoleForUtf8() {}

void ReportBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

std::filesystem::path PathFromArgument(const std::string& text) { return std::filesystem::path(text); }

std::tm UtcTime(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  return utc;
}

}  // namespace korvidctl

int main(int argc, char** argv) { return korvidctl::Main(std::vector<std::string>(argv + 1, argv + argc)); }
