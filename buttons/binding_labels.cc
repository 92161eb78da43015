#include "buttons/binding_labels.h"

#include "buttons/key_names.h"
#include "profile/key_codes.h"

namespace korvid {
namespace {

// A key usage that stands for "modifiers only, no key".
constexpr int kNoKeyUsage = 500;

struct ModifierPrefix {
  int bit;
  const char16_t* prefix;
  int leftKeyUsage;   // the modifier's own keys, which do not repeat it
  int rightKeyUsage;
};

// In label order, the order Windows writes shortcuts in.
constexpr ModifierPrefix kModifierPrefixes[] = {
    {kModCtrl, u"Ctrl", 0xE0, 0xE4},
    {kModShift, u"Shift", 0xE1, 0xE5},
    {kModAlt, u"Alt", 0xE2, 0xE6},
    {kModWin, u"Win", 0xE3, 0xE7},
};

struct FunctionRange {
  int first;
  int last;
  const char16_t* text;
};

constexpr char16_t kStandardMouseText[] = u"Bind to standard mouse functions";

// First matching row wins.
constexpr FunctionRange kFunctionDescriptions[] = {
    {0, 0, u"Disable button"},
    {1000, 1999, u"Bind button to a custom hotkey"},
    {2002, 2002, u"Bind CPI up button"},
    {2003, 2003, u"Bind CPI down button"},
    {2000, 2099, u"Bind to CPI settings"},
    {3000, 3999, u"Bind button to a key"},
    {4000, 4999, u"Record a macro"},
    {2101, 2101, u"Bind left button"},
    {2102, 2102, u"Bind right button"},
    {2103, 2103, u"Bind wheel button"},
    {2105, 2105, u"Bind IE forward button"},
    {2104, 2104, u"Bind IE backward button"},
    {2100, 2199, kStandardMouseText},
    {2200, 2299, u"Bind to multimedia functionality"},
    {2300, 2399, u"Bind to profile"},
    {5000, 5999, u"Bind button to any file, folder or url adress"},
    {2400, 2500, u"Bind button to basic skype setting"},
    {6000, 6999, u"Bind button to a textblock message"},
    {2700, 2799, u"Bind button to a Windows hotkey"},
};

}  // namespace

std::u16string BuildBindingLabel(int modifiers, int keyUsage) {
  std::u16string label;
  const auto append = [&label](std::u16string_view part) {
    if (!label.empty()) label += u'+';
    label += part;
  };
  if (modifiers > 0) {
    for (const ModifierPrefix& modifier : kModifierPrefixes) {
      if ((modifiers & modifier.bit) != 0 && keyUsage != modifier.leftKeyUsage &&
          keyUsage != modifier.rightKeyUsage) {
        append(modifier.prefix);
      }
    }
  }
  if (keyUsage > 0 && keyUsage != kNoKeyUsage) {
    const std::u16string name = GetKeyName(HidUsageToVirtualKey(keyUsage));
    if (!name.empty()) append(name);
  }
  return label;
}

std::u16string DescribeFunction(int functionId) {
  for (const FunctionRange& range : kFunctionDescriptions) {
    if (functionId >= range.first && functionId <= range.last) return range.text;
  }
  return kStandardMouseText;
}

std::u16string TrimTrailingPlus(std::u16string_view text) {
  size_t end = text.find_last_not_of(u'+');
  return std::u16string(end == std::u16string_view::npos ? std::u16string_view{} : text.substr(0, end + 1));
}

}  // namespace korvid
