#pragma once
#include <string>
#include <string_view>

namespace korvid {

// Modifier mask bits of a keyboard binding's code.
enum ModifierBits : int { kModCtrl = 1, kModShift = 2, kModAlt = 4, kModWin = 8 };

// "Ctrl+Shift+A" for modifiers 3 and usage 0x04: the modifiers in the order
// Windows writes them, then the key, joined by "+" ("Shift++" for Shift and
// the keypad's "+"); a modifier that is itself the bound key is not
// repeated. Every label of a keyboard binding, on the page and in the
// hotkey pop-up, comes from here.
std::u16string BuildBindingLabel(int modifiers, int keyUsage);
// Tool-tip text naming the family of a function identifier.
std::u16string DescribeFunction(int functionId);
// Removes the whole run of '+' at the end of the text.
std::u16string TrimTrailingPlus(std::u16string_view text);

}  // namespace korvid
