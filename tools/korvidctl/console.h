#pragma once

namespace korvidctl {

// Makes the console show the UTF-8 that korvidctl prints (profile names).
void PrepareConsoleForUtf8();

// A write to a closed pipe fails with an error korvidctl reports, rather
// than ending the process silently by a signal.
void ReportBrokenPipes();

}  // namespace korvidctl
