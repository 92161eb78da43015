#include "emulator/state_files_platform.h"

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

namespace korvid::emulator {

int CurrentProcessId() { return _getpid(); }

int OpenForAppend(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool WriteInOneCall(int fd, std::string_view bytes) {
  return _write(fd, bytes.data(), static_cast<unsigned>(bytes.size())) == static_cast<int>(bytes.size());
}

void CloseDescriptor(int fd) { _close(fd); }

}  // namespace korvid::emulator
