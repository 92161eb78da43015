#include "profile/text.h"

namespace korvid {

// A path's native form is taken as UTF-8.
bool PathFromUtf16(std::u16string_view text, std::filesystem::path& out) {
  std::optional<std::string> bytes = StrictUtf8(text);
  if (!bytes) return false;
  out = std::filesystem::path(std::move(*bytes));
  return true;
}

bool Utf16FromPath(const std::filesystem::path& path, std::u16string& out) {
  std::optional<std::u16string> text = StrictUtf16(path.native());
  if (!text) return false;
  out = std::move(*text);
  return true;
}

}  // namespace korvid
