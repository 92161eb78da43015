#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace korvid {

// UTF-8 <-> UTF-16. The lenient forms replace what cannot be converted
// with U+FFFD; they are for display and command-line input.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Strict conversions for file system paths: false for text that is not
// valid UTF-16 (a lone surrogate), with `out` untouched.
bool PathFromUtf16(std::u16string_view text, std::filesystem::path& out);
bool Utf16FromPath(const std::filesystem::path& path, std::u16string& out);

}  // namespace korvid
