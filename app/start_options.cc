#include "app/start_options.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <string_view>

namespace korvid {
namespace {

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towlower(x) == std::towlower(y);
         });
}

struct LocalFreeDeleter {
  void operator()(wchar_t** arguments) const { LocalFree(arguments); }
};

}  // namespace

StartOptions ParseStartOptions(const std::vector<std::wstring>& arguments) {
  StartOptions options;
  for (const std::wstring& argument : arguments)
    if (SameIgnoringCase(argument, kTrayArgument)) options.hiddenInTray = true;
  return options;
}

std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreeDeleter> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!arguments) return {};
  return std::vector<std::wstring>(arguments.get() + std::min(count, 1), arguments.get() + count);
}

}  // namespace korvid
