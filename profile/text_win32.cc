#include "profile/text.h"

namespace korvid {

// A path's native form is UTF-16 already.
bool PathFromUtf16(std::u16string_view text, std::filesystem::path& out) {
  if (!IsValidUtf16(text)) return false;
  out = std::filesystem::path(std::wstring(text.begin(), text.end()));
  return true;
}

bool Utf16FromPath(const std::filesystem::path& path, std::u16string& out) {
  const std::wstring& native = path.native();
  std::u16string text(native.begin(), native.end());
  if (!IsValidUtf16(text)) return false;
  out = std::move(text);
  return true;
}

}  // namespace korvid
