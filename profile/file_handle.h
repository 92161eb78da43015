#pragma once
#include <cstdio>
#include <filesystem>
#include <memory>

// C runtime files opened by path on every platform (wide paths on Windows),
// closed by their handle.
namespace korvid {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

enum class FileMode {
  kRead,
  kReadDenyingWriters,  // on Windows other writers are kept out meanwhile
  kWrite,               // created, or truncated
};

// Binary mode; null when the file cannot be opened.
FileHandle OpenFile(const std::filesystem::path& path, FileMode mode);
// Flushes the C buffers and asks the system to put the data on disk.
bool FlushToDisk(std::FILE* file);

}  // namespace korvid
