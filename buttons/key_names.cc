#include "buttons/key_names.h"

#include <array>

namespace korvid {
namespace {

constexpr int kKeyCount = 256;

struct NamedKey {
  int key;
  const char16_t* name;
};

// Keys named one by one; the digit, letter, keypad and function-key ranges
// are filled in by KeyNameTable.
constexpr NamedKey kNamedKeys[] = {
    {0x01, u"Left Button"},     {0x02, u"Right Button"},   {0x04, u"Middle Button"},
    {0x08, u"BACK"},            {0x09, u"TAB"},            {0x0C, u"CLEAR"},
    {0x0D, u"ENTER"},           {0x13, u"PAUSE"},          {0x14, u"CAPS LOCK"},
    {0x1B, u"ESC"},             {0x20, u"SPACE"},          {0x21, u"PAGE UP"},
    {0x22, u"PAGE DOWN"},       {0x23, u"END"},            {0x24, u"HOME"},
    {0x25, u"LEFT ARROW"},      {0x26, u"UP ARROW "},      {0x27, u"RIGHT ARROW"},
    {0x28, u"DOWN ARROW"},      {0x29, u"SELECT"},         {0x2A, u"PRINT"},
    {0x2B, u"EXECUTE"},         {0x2C, u"PRINT SCREEN"},   {0x2D, u"INS"},
    {0x2E, u"DEL"},             {0x2F, u"HELP"},           {0x5B, u"Left Window"},
    {0x5C, u"Right Window"},    {0x5D, u"Application"},    {0x6A, u"*"},
    {0x6B, u"+"},               {0x6D, u"-"},              {0x6E, u"."},
    {0x6F, u"/"},               {0x90, u"NUM LOCK"},       {0x91, u"SCROLL LOCK"},
    {0xA0, u"Left SHIFT"},      {0xA1, u"Right SHIFT"},    {0xA2, u"Left CONTROL"},
    {0xA3, u"Right CONTROL"},   {0xA4, u"Left ALT"},       {0xA5, u"Right ALT"},
    {0xA6, u"Browser Back"},    {0xA7, u"Browser Forward"}, {0xA8, u"Browser Refresh"},
    {0xAE, u"Volume Down"},     {0xAF, u"Volume Up "},     {0xBA, u";"},
    {0xBB, u"+"},               {0xBC, u","},              {0xBD, u"-"},
    {0xBE, u"."},               {0xBF, u"/"},              {0xC0, u"`"},
    {0xDB, u"["},               {0xDC, u"\\"},             {0xDD, u"]"},
    {0xDE, u"'"},               {0xFF, u"Fn"},
    // Keys of the key table that a keyboard may have and that would
    // otherwise have no name to show.
    {0x1C, u"CONVERT"},         {0x1D, u"NONCONVERT"},     {0x6C, u"SEPARATOR"},
    {0xAD, u"Volume Mute"},     {0xE2, u"<>"},             {0xF6, u"ATTN"},
    {0xF7, u"CRSEL"},           {0xF8, u"EXSEL"},
};

struct KeyRange {
  int first;
  int last;
  const char16_t* prefix;
  int firstNumber;  // 0 with a prefix: "NUM 0"; -1: the character itself
};

constexpr int kOwnCharacter = -1;

constexpr KeyRange kKeyRanges[] = {
    {0x30, 0x39, u"", kOwnCharacter},  // "0" to "9"
    {0x41, 0x5A, u"", kOwnCharacter},  // "A" to "Z"
    {0x60, 0x69, u"NUM ", 0},
    {0x70, 0x87, u"F", 1},
};

using KeyNameTable = std::array<std::u16string, kKeyCount>;

KeyNameTable BuildKeyNameTable() {
  KeyNameTable table;
  for (const KeyRange& range : kKeyRanges) {
    for (int key = range.first; key <= range.last; ++key) {
      std::u16string name = range.prefix;
      if (range.firstNumber == kOwnCharacter) {
        name += static_cast<char16_t>(key);
      } else {
        for (char c : std::to_string(range.firstNumber + key - range.first)) name += static_cast<char16_t>(c);
      }
      table[key] = name;
    }
  }
  for (const NamedKey& entry : kNamedKeys) table[entry.key] = entry.name;
  return table;
}

}  // namespace

std::u16string GetKeyName(int key) {
  static const KeyNameTable table = BuildKeyNameTable();
  if (key < 0 || key >= kKeyCount) return {};
  return table[key];
}

}  // namespace korvid
