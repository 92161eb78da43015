#include "emulator/emulated_mouse.h"

#include <cstdlib>

namespace korvid::emulator {

std::filesystem::path FolderFromEnvironment() {
  const char* value = std::getenv(kFolderVariable);
  if (value == nullptr || *value == 0) return {};
  return std::filesystem::path(value);
}

}  // namespace korvid::emulator
