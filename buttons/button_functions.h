#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profile/profile_record.h"

// The button page's choices and how a choice is stored into and shown from a
// binding, kept free of windows so that the page and the command-line tool
// share them.
namespace korvid {

inline constexpr int kPageButtons = 5;  // buttons 1-5 edit buttons[0..4]

struct MenuItem {
  const char16_t* label;
  int functionId;
};

// The menu of function button n (1-5), in menu order.
const std::vector<MenuItem>& ButtonMenu(int buttonNumber);
// The item a fresh page shows on button n (1-5).
MenuItem InitialButtonItem(int buttonNumber);

// What a function button holds.
struct ButtonChoice {
  std::u16string label;
  int functionId = 0;
  int modifiers = 0;
  // The whole `extra` of the keyboard binding this choice was loaded from.
  // While the choice still names that key it is stored back unchanged, so a
  // usage without a virtual key (F13-F24, ...) survives a load and store.
  uint16_t keyUsage = 0;
  bool operator==(const ButtonChoice&) const = default;
};

// How button n shows `binding`, starting from what it showed before
// (`previous`): a keyboard binding on buttons 3-5 shows its key label; any
// other binding shows the menu item of its decoded identifier, or keeps
// `previous` when the menu has no such item.
ButtonChoice ChoiceFromBinding(int buttonNumber, const ButtonBinding& binding, const ButtonChoice& previous);
// Stores button n's choice into its binding (index, type, code, extra).
void StoreChoice(int buttonNumber, const ButtonChoice& choice, ButtonBinding& binding);

}  // namespace korvid
