#include "framework/shell.h"

#include "framework/win32.h"

#include <shellapi.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "framework/handles.h"

namespace korvid {
namespace {

constexpr DWORD kPathBuffer = MAX_PATH;

DWORD WINAPI ShellOpenThread(void* parameter) {
  std::unique_ptr<std::wstring> target(static_cast<std::wstring*>(parameter));
  // Shell extensions that handle the target may need COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ShellExecuteW(nullptr, L"open", target->c_str(), L"", L"", SW_SHOW);
  if (SUCCEEDED(com)) CoUninitialize();
  return 1;
}

}  // namespace

std::wstring GetModuleFolder() {
  wchar_t buffer[kPathBuffer] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, kPathBuffer);
  std::wstring path(buffer, length < kPathBuffer ? length : 0);
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring GetRoamingAppDataFolder() {
  wchar_t buffer[kPathBuffer] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, FALSE)) return std::wstring();
  return buffer;
}

void OpenInShellAsync(const std::wstring& target) {
  auto copy = std::make_unique<std::wstring>(target);
  framework::UniqueHandle thread(CreateThread(nullptr, 0, ShellOpenThread, copy.get(), 0, nullptr));
  if (thread) copy.release();  // the thread owns it now
}

}  // namespace korvid
