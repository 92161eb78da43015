#pragma once
#include <string>

// The program's folders as the system names them, and the shell's "open".
namespace korvid {

// The folder of the running executable, without a trailing backslash.
std::wstring GetModuleFolder();
// The user's roaming application-data folder.
std::wstring GetRoamingAppDataFolder();
// Opens a web address or a file with the shell on a thread of its own, so
// that the caller never waits for the shell.
void OpenInShellAsync(const std::wstring& target);

}  // namespace korvid
