#include <windows.h>

#include "profile/replace_file.h"

namespace korvid {

bool ReplaceFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                           std::error_code& error) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
  }
  error.clear();
  return true;
}

std::string SystemErrorText(const std::error_code& error) {
  if (error.category() != std::system_category()) return error.message();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || !text) return "error " + std::to_string(error.value());
  std::wstring wide(text, length);
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.'))
    wide.pop_back();
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace korvid
