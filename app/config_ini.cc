#include "app/config_ini.h"

#include "framework/shell.h"
#include "framework/win32.h"

namespace korvid {
namespace {

constexpr DWORD kValueBuffer = MAX_PATH;

bool PathExists(const std::wstring& path) {
  // A pattern finds whatever it matches, but no folder can be made under it.
  if (path.find_first_of(L"*?") != std::wstring::npos) return false;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
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
  return PathExists(configured) ? configured : roaming;
}

}  // namespace korvid
