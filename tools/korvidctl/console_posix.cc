#include <csignal>

#include "tools/korvidctl/console.h"

namespace korvidctl {

// Terminals here take UTF-8 as it is.
void PrepareConsoleForUtf8() {}

void ReportBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace korvidctl
