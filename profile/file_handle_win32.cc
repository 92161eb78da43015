#include "profile/file_handle.h"

#include <io.h>
#include <share.h>

namespace korvid {

FileHandle OpenFile(const std::filesystem::path& path, FileMode mode) {
  switch (mode) {
    case FileMode::kRead: return FileHandle(_wfopen(path.c_str(), L"rb"));
    case FileMode::kReadDenyingWriters: return FileHandle(_wfsopen(path.c_str(), L"rb", _SH_DENYWR));
    case FileMode::kWrite: return FileHandle(_wfopen(path.c_str(), L"wb"));
  }
  return nullptr;
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return _commit(_fileno(file)) == 0;
}

}  // namespace korvid
