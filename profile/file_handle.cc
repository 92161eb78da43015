#include "profile/file_handle.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace korvid {

FileHandle OpenFile(const std::filesystem::path& path, FileMode mode) {
#ifdef _WIN32
  switch (mode) {
    case FileMode::kRead: return FileHandle(_wfopen(path.c_str(), L"rb"));
    case FileMode::kReadDenyingWriters: return FileHandle(_wfsopen(path.c_str(), L"rb", _SH_DENYWR));
    case FileMode::kWrite: return FileHandle(_wfopen(path.c_str(), L"wb"));
  }
  return nullptr;
#else
  return FileHandle(std::fopen(path.c_str(), mode == FileMode::kWrite ? "wb" : "rb"));
#endif
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

}  // namespace korvid
