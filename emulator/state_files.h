#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// File access for the emulator folder, shared by several processes: whole
// files are replaced by rename, log lines are appended with one write each.
namespace korvid::emulator {

// The file's bytes; nothing when it is missing, unreadable or larger than
// `maxBytes`.
std::optional<std::string> ReadStateFile(const std::filesystem::path& path, size_t maxBytes);
// Writes a temporary file beside `path`, flushes it to disk and renames it
// over `path`. On failure `path` is left as it was.
bool ReplaceStateFile(const std::filesystem::path& path, std::string_view bytes);
// Appends `line` (which ends in '\n') in one write.
bool AppendStateLine(const std::filesystem::path& path, std::string_view line);
bool StateFileExists(const std::filesystem::path& path);
void RemoveStateFile(const std::filesystem::path& path);

}  // namespace korvid::emulator
