#pragma once
#include <string>
#include <string_view>

// What korvidctl prints on stdout, and whether it got there.
namespace korvidctl {

// Writes `text` to stdout. The first failure's reason is kept for
// FinishOutput: by the time the output is flushed, errno says nothing.
void PrintOutput(std::string_view text);

// Flushes stdout: an empty string when everything printed got there, else
// why it did not ("No space left on device"; "" reason unknown is "unknown").
std::string FinishOutput();

// `text` for a terminal: control characters (C0, DEL and C1) as \xNN
// escapes, so that a name or an argument cannot move the cursor, retitle or
// clear the terminal; cut after `limit` bytes with "..." when longer.
std::string TerminalSafe(std::string_view text, size_t limit = std::string::npos);

}  // namespace korvidctl
