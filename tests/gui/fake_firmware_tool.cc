// Stands in for the firmware update tool: writes the arguments it was
// started with, one a line in UTF-8, to "launched.txt" beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file(path, length);
  file = file.substr(0, file.find_last_of(L'\\') + 1) + L"launched.txt";
  FILE* out = _wfopen(file.c_str(), L"wb");
  if (!out) return 1;
  for (int i = 1; i < argc; ++i) {
    char utf8[1024];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8, sizeof utf8, nullptr, nullptr);
    if (bytes > 0) std::fprintf(out, "%s\n", utf8);
  }
  std::fclose(out);
  return 0;
}
