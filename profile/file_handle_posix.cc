#include "profile/file_handle.h"

#include <unistd.h>

namespace korvid {

// POSIX has no sharing modes: a read that keeps writers out is a plain read.
FileHandle OpenFile(const std::filesystem::path& path, FileMode mode) {
  return FileHandle(std::fopen(path.c_str(), mode == FileMode::kWrite ? "wb" : "rb"));
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}

}  // namespace korvid
