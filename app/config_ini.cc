#include "app/config_ini.h"

#include <optional>

#include "framework/shell.h"
#include "framework/win32.h"

namespace korvid {
namespace {

constexpr DWORD kValueBuffer = MAX_PATH;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The folder `path` names, when it is an existing folder: a file there does
// not count. A trailing separator names the same folder, and a bare drive
// ("D:") its root.
std::optional<std::wstring> ExistingFolder(std::wstring path) {
  // A pattern finds whatever it matches, but no folder can be made under it.
  if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
  const bool bareDrive = path.size() == 2 && path[1] == L':';
  if (bareDrive) path += L'\\';
  // "D:\" keeps the separator that makes it the root.
  const size_t rootLength = path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]) ? 3 : 1;
  while (path.size() > rootLength && IsSeparator(path.back())) path.pop_back();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::nullopt;
  return path;
}

}  // namespace

std::wstring ConfigFilePath() { return GetModuleFolder() + L"\\Resources\\Config.ini"; }

std::wstring ReadConfigValue(const std::wstring& configFile, const wchar_t* key, const std::wstring& fallback) {
  wchar_t buffer[kValueBuffer] = {};
  GetPrivateProfileStringW(kConfigSection, key, fallback.c_str(), buffer, kValueBuffer, configFile.c_str());
  return buffer;
}

std::wstring ResolveDataRoot(const std::wstring& configFile) {
  const std::wstring roaming = GetRoamingAppDataFolder();
  const std::wstring configured = ReadConfigValue(configFile, kDataPathKey, roaming);
  return ExistingFolder(configured).value_or(roaming);
}

}  // namespace korvid
