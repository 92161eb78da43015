#pragma once
#include <filesystem>
#include <string_view>

// What the state files need of the platform's C runtime, one definition per
// platform (state_files_posix.cc, state_files_win32.cc).
namespace korvid::emulator {

int CurrentProcessId();
// A descriptor open for appending, the file created when missing; -1 when
// it cannot be opened.
int OpenForAppend(const std::filesystem::path& path);
// One write of all of `bytes`; false when fewer went out.
bool WriteInOneCall(int fd, std::string_view bytes);
void CloseDescriptor(int fd);

}  // namespace korvid::emulator
