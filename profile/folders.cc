#include "profile/folders.h"

#include <system_error>
#include <vector>

namespace korvid {

namespace fs = std::filesystem;

void EnsureFolderPath(const fs::path& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return;
  fs::path folder = path;
  if (path.filename().native().find(fs::path::value_type('.')) != fs::path::string_type::npos)
    folder = path.parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);
}

void EmptyFolder(const fs::path& folder) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(it->path());
  for (const fs::path& entry : entries) {
    // A link is removed itself, never followed into what it points at.
    const fs::file_status status = fs::symlink_status(entry, ec);
    if (!ec && fs::is_directory(status))
      DeleteFolderTree(entry);
    else
      fs::remove(entry, ec);
  }
}

void DeleteFolderTree(const fs::path& folder) {
  EmptyFolder(folder);
  std::error_code ec;
  fs::remove(folder, ec);
}

}  // namespace korvid
