#pragma once
#include <string>

namespace korvid {

// Display name of a Windows virtual-key code; empty for keys without one
// (and for everything outside 1-255).
std::u16string GetKeyName(int key);

}  // namespace korvid
