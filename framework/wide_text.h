#pragma once
#include <string>
#include <string_view>

namespace framework {

// The portable code's UTF-16 text and the Windows API's: the same code
// units, since wchar_t is 16 bits wide on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace framework
