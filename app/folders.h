#pragma once
#include <string>

namespace korvid {

// The folder of the running executable, without a trailing backslash.
std::wstring GetModuleFolder();
// The user's roaming application-data folder.
std::wstring GetRoamingAppDataFolder();
// module folder + "\Resources\Config.ini".
std::wstring ConfigFilePath();
// A value of section "ConfigData" of the configuration file, or `fallback`.
std::wstring ReadConfigValue(const std::wstring& configFile, const wchar_t* key, const std::wstring& fallback);
// The folder under which the data folder lies: DataPath of the configuration
// file when something exists there, else the roaming application-data folder.
std::wstring ResolveDataRoot(const std::wstring& configFile);
// Opens a web address or a file with the shell on a thread of its own, so
// that the caller never waits for the shell.
void OpenInShellAsync(const std::wstring& target);

inline constexpr wchar_t kConfigSection[] = L"ConfigData";
inline constexpr wchar_t kDataPathKey[] = L"DataPath";
inline constexpr wchar_t kDownloadsUrlKey[] = L"DownloadsUrl";
inline constexpr wchar_t kFaqUrlKey[] = L"FaqUrl";
inline constexpr wchar_t kDefaultDownloadsUrl[] = L"https://www.orvanta.com/downloads";
inline constexpr wchar_t kDefaultFaqUrl[] = L"https://www.orvanta.com/faq";

}  // namespace korvid
