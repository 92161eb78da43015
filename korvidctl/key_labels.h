#pragma once
#include <optional>
#include <string>

// The names korvidctl gives keys and keyboard bindings. They start from the
// button page's key names but are made unambiguous, so that every label
// `show` prints is read back by `set` as the same key: the keypad's keys
// carry "Num", Backspace is not "BACK" (the mouse's back function), and no
// name holds the '+' that joins modifiers and key.
namespace korvidctl {

// The name of a Windows virtual-key code; empty for a key without one.
std::string KeyLabel(int virtualKey);
// The virtual-key code a name means (case, blanks, hyphens and underscores
// ignored; a few alternative spellings such as "escape" or "pgup" accepted).
std::optional<int> KeyFromName(const std::string& name);

// "Ctrl+Shift+A": every modifier of the mask, then the key of the usage
// (none for 0). Nothing when a part cannot be named: a mask with other bits,
// a usage without a key name, or neither a modifier nor a key.
std::optional<std::string> KeyBindingLabel(int modifiers, int keyUsage);

}  // namespace korvidctl
