#include "profile/text.h"

#include <cstdint>
#include <optional>

namespace korvid {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decodes one code point at text[i] and advances i; nothing for a lone surrogate.
std::optional<char32_t> NextUtf16(std::u16string_view text, size_t& i) {
  const char32_t unit = text[i++];
  if (!IsSurrogate(unit)) return unit;
  if (!IsHighSurrogate(unit) || i >= text.size() || !IsLowSurrogate(text[i])) return std::nullopt;
  const char32_t low = text[i++];
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

// Decodes one code point at text[i] and advances i: past the whole sequence
// when it is valid, past one byte when it is not (overlong forms, surrogates,
// values above U+10FFFF and cut-off sequences are invalid).
std::optional<char32_t> NextUtf8(std::string_view text, size_t& i) {
  const auto lead = static_cast<uint8_t>(text[i]);
  ++i;
  if (lead < 0x80) return lead;
  size_t extra;
  char32_t value;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07u, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - i < extra) return std::nullopt;
  for (size_t k = 0; k < extra; ++k) {
    const auto next = static_cast<uint8_t>(text[i + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < minimum || value > kMaxCodePoint || IsSurrogate(value)) return std::nullopt;
  i += extra;
  return value;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) AppendUtf8(out, NextUtf16(text, i).value_or(kReplacement));
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) AppendUtf16(out, NextUtf8(text, i).value_or(kReplacement));
  return out;
}

std::optional<std::string> StrictUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const std::optional<char32_t> c = NextUtf16(text, i);
    if (!c) return std::nullopt;
    AppendUtf8(out, *c);
  }
  return out;
}

std::optional<std::u16string> StrictUtf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const std::optional<char32_t> c = NextUtf8(text, i);
    if (!c) return std::nullopt;
    AppendUtf16(out, *c);
  }
  return out;
}

bool IsValidUtf16(std::u16string_view text) {
  for (size_t i = 0; i < text.size();)
    if (!NextUtf16(text, i)) return false;
  return true;
}

}  // namespace korvid
