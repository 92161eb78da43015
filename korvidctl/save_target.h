#pragma once
#include <filesystem>
#include <optional>
#include <string>

// Where `save PATH` writes, and what the file there must keep.
namespace korvidctl {

struct SaveTarget {
  // The file to replace: PATH itself, or the file a chain of symbolic links
  // from it ends at (the links stay links).
  std::filesystem::path file;
  // The permissions of the file already there; nothing for a new file.
  std::optional<std::filesystem::perms> permissions;
};

// The target of `path`, or nothing with `problem` set: a path that names
// something other than a regular file (a folder, a device, a FIFO), links
// that go round in a circle, or a folder that does not exist.
std::optional<SaveTarget> FindSaveTarget(const std::filesystem::path& path, std::string& problem);

}  // namespace korvidctl
