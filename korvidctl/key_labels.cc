#include "korvidctl/key_labels.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "buttons/binding_labels.h"
#include "buttons/key_names.h"
#include "profile/key_codes.h"
#include "profile/text.h"

namespace korvidctl {

using namespace korvid;

namespace {

constexpr int kLastVirtualKey = 255;

// Keys whose page name is shared with another key, holds a '+' or '-', or
// reads as a mouse function.
struct OwnName {
  int virtualKey;
  const char* name;
};
constexpr OwnName kOwnNames[] = {
    {0x08, "Backspace"}, {0x6A, "Num *"},  {0x6B, "Num Plus"}, {0x6D, "Num Minus"},
    {0x6E, "Num ."},     {0x6F, "Num /"},  {0xBB, "Plus"},     {0xBD, "Minus"},
};

// Other spellings users type; the names themselves are always accepted.
constexpr OwnName kAlternativeNames[] = {
    {0x1B, "escape"},  {0x0D, "return"},   {0x2D, "insert"},   {0x2E, "delete"},    {0x21, "pgup"},
    {0x22, "pgdn"},    {0x14, "capslock"}, {0x26, "up"},       {0x28, "down"},      {0x25, "left arrow"},
    {0x90, "numlock"}, {0x5D, "menu"},     {0xBC, "comma"},    {0xBE, "period"},    {0xBA, "semicolon"},
    {0xBF, "slash"},   {0xDC, "backslash"}, {0x6E, "num period"}, {0x6F, "num slash"}, {0x6A, "num star"},
};

struct ModifierName {
  int bit;
  const char* name;
};
// In the order the button page writes them.
constexpr ModifierName kModifierNames[] = {
    {kModCtrl, "Ctrl"}, {kModShift, "Shift"}, {kModAlt, "Alt"}, {kModWin, "Win"}};
constexpr int kAllModifiers = kModShift | kModCtrl | kModAlt | kModWin;

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  return text;
}

// "PAGE UP" -> "pageup": names compared without case, blanks, hyphens or
// underscores.
std::string Token(const std::string& text) {
  std::string token;
  for (unsigned char c : text)
    if (c != ' ' && c != '-' && c != '_') token += static_cast<char>(std::tolower(c));
  return token;
}

const std::map<std::string, int>& KeysByToken() {
  static const std::map<std::string, int> keys = [] {
    std::map<std::string, int> map;
    for (int vk = 1; vk <= kLastVirtualKey; ++vk) {
      const std::string label = KeyLabel(vk);
      if (!label.empty() && VirtualKeyHasHidUsage(vk)) map.emplace(Token(label), vk);
    }
    for (const OwnName& alternative : kAlternativeNames) map.emplace(Token(alternative.name), alternative.virtualKey);
    return map;
  }();
  return keys;
}

}  // namespace

std::string KeyLabel(int virtualKey) {
  for (const OwnName& own : kOwnNames)
    if (own.virtualKey == virtualKey) return own.name;
  return Trimmed(ToUtf8(GetKeyName(virtualKey)));
}

std::optional<int> KeyFromName(const std::string& name) {
  const std::string token = Token(name);
  if (token.size() == 1 && std::isalnum(static_cast<unsigned char>(token[0])))
    return std::toupper(static_cast<unsigned char>(token[0]));
  const auto found = KeysByToken().find(token);
  if (found == KeysByToken().end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> KeyBindingLabel(int modifiers, int keyUsage) {
  if ((modifiers & ~kAllModifiers) != 0) return std::nullopt;
  std::string label;
  for (const ModifierName& modifier : kModifierNames)
    if ((modifiers & modifier.bit) != 0) label += std::string(label.empty() ? "" : "+") + modifier.name;
  if (keyUsage != 0) {
    const int vk = HidUsageToVirtualKey(keyUsage);
    const std::string key = KeyLabel(vk);
    if (key.empty() || !VirtualKeyHasHidUsage(vk) || VirtualKeyToHidUsage(vk) != keyUsage) return std::nullopt;
    label += (label.empty() ? "" : "+") + key;
  }
  if (label.empty()) return std::nullopt;
  return label;
}

}  // namespace korvidctl
