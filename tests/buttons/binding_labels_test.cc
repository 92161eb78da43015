#include "buttons/binding_labels.h"

#include <gtest/gtest.h>

#include <climits>

namespace korvid {
namespace {

struct LabelCase {
  int modifiers;
  int keyUsage;
  const char16_t* label;
};

TEST(BuildBindingLabel, ModifiersInOrderThenKey) {
  const LabelCase cases[] = {
      {kModCtrl | kModShift, 0x04, u"Ctrl+Shift+A"},
      {kModCtrl | kModShift | kModAlt | kModWin, 0x1D, u"Ctrl+Shift+Alt+Win+Z"},
      {kModAlt, 0x3A, u"Alt+F1"},
      {kModWin, 0x28, u"Win+ENTER"},
      {0, 0x04, u"A"},
      {kModCtrl, 0, u"Ctrl"},
      {kModCtrl | kModAlt, 0, u"Ctrl+Alt"},
      {kModShift, 500, u"Shift"},
      {0, 0, u""},
      // A modifier that is the key itself is not repeated.
      {kModCtrl, 0xE0, u"Left CONTROL"},
      {kModCtrl, 0xE4, u"Right CONTROL"},
      {kModShift, 0xE1, u"Left SHIFT"},
      {kModShift | kModCtrl, 0xE5, u"Ctrl+Right SHIFT"},
      {kModAlt, 0xE2, u"Left ALT"},
      {kModAlt, 0xE6, u"Right ALT"},
      {kModWin, 0xE3, u"Left Window"},
      {kModWin, 0xE7, u"Right Window"},
      {kModShift, 0xE0, u"Shift+Left CONTROL"},
      // A key named "+" is shown after its modifiers, not lost.
      {kModShift, 0x57, u"Shift++"},
      {kModShift, 0x2E, u"Shift++"},
      {0, 0x57, u"+"},
      {kModCtrl | kModShift, 0x3E, u"Ctrl+Shift+F5"},
      // Names keep their trailing blanks.
      {kModCtrl, 0x52, u"Ctrl+UP ARROW "},
      {0, 0x80, u"Volume Up "},
      {0, 0x48, u"PAUSE"},
      // F13 to F24 are named as such, not after the virtual key that shares
      // their usage's number (0x68 is also keypad 8's virtual key).
      {kModCtrl, 0x68, u"Ctrl+F13"},
      {0, 0x73, u"F24"},
      // Negative masks add no modifiers; unknown bits add nothing.
      {-1, 0x04, u"A"},
      {INT_MIN, 0x04, u"A"},
      {16, 0x04, u"A"},
      {16, 0, u""},
      // A negative key adds no name.
      {kModCtrl, -4, u"Ctrl"},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.modifiers << " / 0x" << std::hex << c.keyUsage);
    EXPECT_EQ(BuildBindingLabel(c.modifiers, c.keyUsage), c.label);
  }
}

TEST(TrimTrailingPlus, RemovesTheWholeRun) {
  EXPECT_EQ(TrimTrailingPlus(u"Shift+Ctrl+"), u"Shift+Ctrl");
  EXPECT_EQ(TrimTrailingPlus(u"Shift+++++"), u"Shift");
  EXPECT_EQ(TrimTrailingPlus(u"+++"), u"");
  EXPECT_EQ(TrimTrailingPlus(u""), u"");
  EXPECT_EQ(TrimTrailingPlus(u"+A+B"), u"+A+B");
  EXPECT_EQ(TrimTrailingPlus(u"A+ "), u"A+ ");
}

struct DescriptionCase {
  int functionId;
  const char16_t* text;
};

TEST(DescribeFunction, FirstMatchingRowWins) {
  constexpr const char16_t* kStandard = u"Bind to standard mouse functions";
  const DescriptionCase cases[] = {
      {INT_MIN, kStandard},
      {-1, kStandard},
      {0, u"Disable button"},
      {1, kStandard},
      {999, kStandard},
      {1000, u"Bind button to a custom hotkey"},
      {1502, u"Bind button to a custom hotkey"},
      {1999, u"Bind button to a custom hotkey"},
      {2000, u"Bind to CPI settings"},
      {2001, u"Bind to CPI settings"},
      {2002, u"Bind CPI up button"},
      {2003, u"Bind CPI down button"},
      {2004, u"Bind to CPI settings"},
      {2099, u"Bind to CPI settings"},
      {2100, kStandard},
      {2101, u"Bind left button"},
      {2102, u"Bind right button"},
      {2103, u"Bind wheel button"},
      {2104, u"Bind IE backward button"},
      {2105, u"Bind IE forward button"},
      {2106, kStandard},
      {2107, kStandard},
      {2199, kStandard},
      {2200, u"Bind to multimedia functionality"},
      {2299, u"Bind to multimedia functionality"},
      {2300, u"Bind to profile"},
      {2399, u"Bind to profile"},
      {2400, u"Bind button to basic skype setting"},
      {2500, u"Bind button to basic skype setting"},
      {2501, kStandard},
      {2699, kStandard},
      {2700, u"Bind button to a Windows hotkey"},
      {2799, u"Bind button to a Windows hotkey"},
      {2800, kStandard},
      {2999, kStandard},
      {3000, u"Bind button to a key"},
      {3999, u"Bind button to a key"},
      {4000, u"Record a macro"},
      {4999, u"Record a macro"},
      {5000, u"Bind button to any file, folder or url adress"},
      {5999, u"Bind button to any file, folder or url adress"},
      {6000, u"Bind button to a textblock message"},
      {6999, u"Bind button to a textblock message"},
      {7000, kStandard},
      {INT_MAX, kStandard},
  };
  for (const DescriptionCase& c : cases) {
    SCOPED_TRACE(c.functionId);
    EXPECT_EQ(DescribeFunction(c.functionId), c.text);
  }
}

}  // namespace
}  // namespace korvid
