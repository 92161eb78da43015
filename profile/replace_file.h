#pragma once
#include <filesystem>
#include <string>
#include <system_error>

// Putting a finished file in place of another in one step, one definition
// per platform (replace_file_posix.cc, replace_file_win32.cc).
namespace korvid {

// Moves `from` onto `to`, replacing a file there in one step, so that `to`
// names the old file or the new one at every instant, never neither, and
// asks the system to put the change on disk. On failure `error` says why
// and both files are as they were.
bool ReplaceFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                           std::error_code& error);

// The system's description of an error, for messages users read.
std::string SystemErrorText(const std::error_code& error);

}  // namespace korvid
