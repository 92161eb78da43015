#include <windows.h>

#include "tools/korvidctl/console.h"

namespace korvidctl {

void PrepareConsoleForUtf8() { ::SetConsoleOutputCP(CP_UTF8); }

// Windows has no broken-pipe signal: the write fails.
void ReportBrokenPipes() {}

}  // namespace korvidctl
