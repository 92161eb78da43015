#include "emulator/emulated_mouse.h"

#include <cstdlib>
#include <string>

namespace korvid::emulator {

// The wide environment, so that a folder outside the ANSI code page works.
std::filesystem::path FolderFromEnvironment() {
  const std::wstring name(kFolderVariable, kFolderVariable + sizeof kFolderVariable - 1);
  const wchar_t* value = _wgetenv(name.c_str());
  if (value == nullptr || *value == 0) return {};
  return std::filesystem::path(value);
}

}  // namespace korvid::emulator
