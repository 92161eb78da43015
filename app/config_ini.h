#pragma once
#include <string>

// The program's optional configuration file, Resources\Config.ini.
namespace korvid {

// module folder + "\Resources\Config.ini".
std::wstring ConfigFilePath();
// A value of section "ConfigData" of the configuration file, or `fallback`.
std::wstring ReadConfigValue(const std::wstring& configFile, const wchar_t* key, const std::wstring& fallback);
// The folder under which the data folder lies: DataPath of the configuration
// file when it names an existing folder (a file there does not count; a
// trailing separator is dropped, a bare drive means its root), else the
// roaming application-data folder.
std::wstring ResolveDataRoot(const std::wstring& configFile);

inline constexpr wchar_t kConfigSection[] = L"ConfigData";
inline constexpr wchar_t kDataPathKey[] = L"DataPath";
inline constexpr wchar_t kDownloadsUrlKey[] = L"DownloadsUrl";
inline constexpr wchar_t kFaqUrlKey[] = L"FaqUrl";
inline constexpr wchar_t kDefaultDownloadsUrl[] = L"https://www.orvanta.com/downloads";
inline constexpr wchar_t kDefaultFaqUrl[] = L"https://www.orvanta.com/faq";

}  // namespace korvid
