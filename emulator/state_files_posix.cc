#include "emulator/state_files_platform.h"

#include <fcntl.h>
#include <unistd.h>

namespace korvid::emulator {

int CurrentProcessId() { return static_cast<int>(getpid()); }

int OpenForAppend(const std::filesystem::path& path) {
  return open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

bool WriteInOneCall(int fd, std::string_view bytes) {
  return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

void CloseDescriptor(int fd) { close(fd); }

}  // namespace korvid::emulator
