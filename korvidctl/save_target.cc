#include "korvidctl/save_target.h"

#include <system_error>

namespace korvidctl {

namespace fs = std::filesystem;

namespace {

// The kernel's own limit on links followed in one lookup.
constexpr int kMaxLinks = 40;

}  // namespace

std::optional<SaveTarget> FindSaveTarget(const fs::path& path, std::string& problem) {
  fs::path file = path;
  std::error_code error;
  for (int links = 0; fs::is_symlink(fs::symlink_status(file, error)); ++links) {
    if (links == kMaxLinks) {
      problem = "its symbolic links go round in a circle";
      return std::nullopt;
    }
    const fs::path next = fs::read_symlink(file, error);
    if (error) {
      problem = "its symbolic link cannot be read: " + error.message();
      return std::nullopt;
    }
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  const fs::file_status status = fs::status(file, error);
  if (status.type() == fs::file_type::not_found) {
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (!fs::is_directory(folder, error)) {
      problem = "the folder it would be in does not exist";
      return std::nullopt;
    }
    return SaveTarget{file, std::nullopt};
  }
  if (status.type() != fs::file_type::regular) {
    problem = "it is not a regular file";
    return std::nullopt;
  }
  return SaveTarget{file, status.permissions()};
}

}  // namespace korvidctl
