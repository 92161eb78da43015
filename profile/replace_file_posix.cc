#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "profile/replace_file.h"

namespace korvid {

bool ReplaceFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                           std::error_code& error) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = std::error_code(errno, std::generic_category());
    return false;
  }
  error.clear();
  // The rename is a change of the folder: it is on disk once the folder is.
  const std::filesystem::path folder = to.has_parent_path() ? to.parent_path() : std::filesystem::path(".");
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

std::string SystemErrorText(const std::error_code& error) { return error.message(); }

}  // namespace korvid
