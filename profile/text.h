#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// UTF-8 <-> UTF-16. The lenient forms replace what cannot be converted
// with U+FFFD; they are for display and command-line input.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Strict forms: nothing for text that is not valid (a lone surrogate; an
// invalid, overlong or cut-off UTF-8 sequence).
std::optional<std::string> StrictUtf8(std::u16string_view text);
std::optional<std::u16string> StrictUtf16(std::string_view text);
bool IsValidUtf16(std::u16string_view text);

// Strict conversions for file system paths: false for text that is not
// valid UTF-16 (a lone surrogate), with `out` untouched. A path's native form
// is UTF-16 on Windows and UTF-8 elsewhere (text_win32.cc, text_posix.cc).
bool PathFromUtf16(std::u16string_view text, std::filesystem::path& out);
bool Utf16FromPath(const std::filesystem::path& path, std::u16string& out);

}  // namespace korvid
