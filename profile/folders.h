#pragma once
#include <filesystem>

namespace korvid {

// Creates every missing folder along a folder path, or along the folder part
// of a file path (a last component containing a dot names a file).
// Failures are ignored.
void EnsureFolderPath(const std::filesystem::path& path);
// Deletes every file and every subfolder (with its content) in the folder,
// keeping the folder itself. Single failures are ignored.
void EmptyFolder(const std::filesystem::path& folder);
// EmptyFolder, then removes the folder.
void DeleteFolderTree(const std::filesystem::path& folder);

}  // namespace korvid
