#include "buttons/key_names.h"

#include <gtest/gtest.h>

#include <climits>

namespace korvid {
namespace {

struct NameCase {
  int key;
  const char16_t* name;
};

TEST(GetKeyName, RangesListAndGaps) {
  const NameCase cases[] = {
      // Range ends and their neighbours.
      {0x2F, u"HELP"}, {0x30, u"0"}, {0x39, u"9"}, {0x3A, u""}, {0x40, u""},
      {0x41, u"A"}, {0x5A, u"Z"}, {0x5B, u"Left Window"}, {0x5F, u""},
      {0x60, u"NUM 0"}, {0x69, u"NUM 9"}, {0x6A, u"*"}, {0x6C, u"SEPARATOR"}, {0x6E, u"."},
      {0x6F, u"/"}, {0x70, u"F1"}, {0x79, u"F10"}, {0x87, u"F24"}, {0x88, u""},
      // Names with trailing blanks, the doubled "+", and the generic modifiers.
      {0x26, u"UP ARROW "}, {0xAF, u"Volume Up "}, {0x6B, u"+"}, {0xBB, u"+"},
      {0x10, u""}, {0x11, u""}, {0x12, u""},
      {0x01, u"Left Button"}, {0x03, u""}, {0xA0, u"Left SHIFT"}, {0xA5, u"Right ALT"},
      {0xA6, u"Browser Back"}, {0xA7, u"Browser Forward"}, {0xA8, u"Browser Refresh"},
      {0xDC, u"\\"}, {0xDE, u"'"}, {0xC0, u"`"}, {0xFE, u""}, {0xFF, u"Fn"},
      // Keys a keyboard may send a usage for are named too.
      {0xAD, u"Volume Mute"}, {0xE2, u"<>"}, {0x1C, u"CONVERT"}, {0xF8, u"EXSEL"},
      // Outside 1-255.
      {0, u""}, {-1, u""}, {0x100, u""}, {0x141, u""}, {INT_MIN, u""}, {INT_MAX, u""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(GetKeyName(c.key), c.name);
  }
}

}  // namespace
}  // namespace korvid
