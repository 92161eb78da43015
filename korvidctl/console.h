#pragma once
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// What korvidctl needs of the platform it runs on, one file per platform
// (console_posix.cc, console_win32.cc); the platform's entry point (main or
// wmain) is there too and hands the arguments, as UTF-8, to Main.
namespace korvidctl {

// korvidctl itself: runs the command its arguments name; the exit status.
int Main(std::vector<std::string> args);

// Makes the console show the UTF-8 that korvidctl prints (profile names).
void PrepareConsoleForUtf8();

// A write to a closed pipe fails with an error korvidctl reports, rather
// than ending the process silently by a signal.
void ReportBrokenPipes();

// The file an argument (UTF-8) names.
std::filesystem::path PathFromArgument(const std::string& text);

// `time` as UTC.
std::tm UtcTime(std::time_t time);

}  // namespace korvidctl
