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

// The function identifier of a button that holds a binding its menu does not
// offer (a media function, a CPI function, an unknown code, a key usage the
// key table does not have): no menu item and no captured key has it.
inline constexpr int kFnKeptBinding = -2;

// What a function button holds.
struct ButtonChoice {
  std::u16string label;
  int functionId = 0;
  int modifiers = 0;
  // The binding as loaded, while the button holds it as it is
  // (functionId kFnKeptBinding): it is stored back byte for byte.
  std::optional<ButtonBinding> kept;
  bool operator==(const ButtonChoice&) const = default;
};

// How button n shows `binding`, starting from what it showed before
// (`previous`): the menu item or the key the binding is, stored back as it
// is; any other binding is kept and shown for what it is (KeptBindingLabel).
ButtonChoice ChoiceFromBinding(int buttonNumber, const ButtonBinding& binding, const ButtonChoice& previous);
// Stores button n's choice into its binding (index, type, code, extra).
void StoreChoice(int buttonNumber, const ButtonChoice& choice, ButtonBinding& binding);

// "Media: Volume Up", "Ctrl+Key usage 0x58", "Middle click" (on a button
// whose menu lacks it), "Type 0x1F, code 0x0004": a binding the menus of
// button n do not offer, named as what it is.
std::u16string KeptBindingLabel(int buttonNumber, const ButtonBinding& binding);
// The function identifier whose tool tip describes a kept binding.
int KeptBindingFunction(int buttonNumber, const ButtonBinding& binding);

}  // namespace korvid
