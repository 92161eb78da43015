#include "buttons/button_functions.h"

#include <cstdio>

#include "buttons/binding_labels.h"
#include "buttons/key_names.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"

namespace korvid {
namespace {

constexpr int kFirstKeyButton = 3;  // buttons 3-5 take any menu item and keys
constexpr int kKeyFunctionFirst = 1000;
constexpr int kKeyFunctionLast = 1999;
constexpr uint32_t kDisabledType = kBindingDisabled;
constexpr uint32_t kDisabledCode = 255;
constexpr uint16_t kKeyUsageMask = 0xFF;

constexpr MenuItem kLeftClick{u"Left click", kFnLeftClick};
constexpr MenuItem kRightClick{u"Right click", kFnRightClick};
constexpr MenuItem kMiddleClick{u"Middle click", kFnMiddleClick};
constexpr MenuItem kForward{u"IE Forward", kFnForward};
constexpr MenuItem kBack{u"IE Backward", kFnBack};
constexpr MenuItem kScrollUp{u"Scroll Up", kFnScrollUp};
constexpr MenuItem kScrollDown{u"Scroll Down", kFnScrollDown};
constexpr MenuItem kKeyboardKey{u"Keyboard key", kFnKeyboardKey};
constexpr MenuItem kDisable{u"Disable button", kFnDisabled};
constexpr MenuItem kNoItem{u"", kFnDisabled};

bool IsPageButton(int buttonNumber) { return buttonNumber >= 1 && buttonNumber <= kPageButtons; }

bool TakesKeys(int buttonNumber) { return buttonNumber >= kFirstKeyButton && buttonNumber <= kPageButtons; }

bool IsKeyFunction(int functionId) { return functionId >= kKeyFunctionFirst && functionId <= kKeyFunctionLast; }

constexpr int kModifierBits = kModCtrl | kModShift | kModAlt | kModWin;

// The key a keyboard binding's usage is, when the key table goes both ways
// for it and the key has a name: 0 otherwise.
int NamedKeyOfUsage(uint16_t extra) {
  if (extra > kKeyUsageMask) return 0;
  const int key = HidUsageToVirtualKey(extra);
  if (VirtualKeyToHidUsage(key) != extra || GetKeyName(key).empty()) return 0;
  return key;
}

// A keyboard binding the page can show and store back as it is: modifiers
// the toggles offer, and no key or a named key of the key table.
bool IsOfferedKey(int buttonNumber, const ButtonBinding& binding) {
  if (!TakesKeys(buttonNumber) || binding.type != kBindingKey) return false;
  if ((binding.code & ~static_cast<uint32_t>(kModifierBits)) != 0) return false;
  return binding.extra == 0 || NamedKeyOfUsage(binding.extra) != 0;
}

// The function identifier a binding decodes to, when encoding it again
// gives the very same type and code; -1 otherwise.
int RoundTripFunction(int buttonNumber, const ButtonBinding& binding) {
  const int functionId = DecodeFunction(static_cast<int16_t>(binding.code), static_cast<uint8_t>(binding.type));
  const auto code = static_cast<uint32_t>(
      static_cast<int32_t>(static_cast<int16_t>(EncodeFunctionCode(functionId, buttonNumber - 1))));
  if (EncodeFunctionType(functionId) != binding.type || code != binding.code) return -1;
  return functionId;
}

struct NamedFunction {
  int functionId;
  const char16_t* label;
};

// Functions no menu offers, named for a button that holds one.
constexpr NamedFunction kOtherFunctions[] = {
    {2201, u"Media: Play/Pause"}, {2202, u"Media: Stop"},       {2203, u"Media: Previous Track"},
    {2204, u"Media: Next Track"}, {2205, u"Media: Volume Up"},  {2206, u"Media: Volume Down"},
    {2207, u"Media: Mute"},       {2002, u"CPI: Up"},           {2003, u"CPI: Down"},
};

std::u16string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string KeptKeyLabel(const ButtonBinding& binding) {
  const int key = NamedKeyOfUsage(binding.extra);
  const std::u16string keyPart = key != 0 ? GetKeyName(key) : u"Key usage " + Hex(binding.extra, 2);
  const std::u16string modifiers = BuildBindingLabel(static_cast<int>(binding.code & kModifierBits), 0);
  return modifiers.empty() ? keyPart : modifiers + u"+" + keyPart;
}

}  // namespace

std::u16string KeptBindingLabel(int buttonNumber, const ButtonBinding& binding) {
  if (binding.type == kBindingKey) return KeptKeyLabel(binding);
  const int functionId = RoundTripFunction(buttonNumber, binding);
  // A function another button's menu offers (middle click on button 1) by
  // that item's name.
  for (const MenuItem& item : ButtonMenu(kPageButtons))
    if (item.functionId == functionId) return item.label;
  for (const NamedFunction& named : kOtherFunctions)
    if (named.functionId == functionId) return named.label;
  return u"Type " + Hex(binding.type, 2) + u", code " + Hex(binding.code, 4);
}

int KeptBindingFunction(int buttonNumber, const ButtonBinding& binding) {
  if (binding.type == kBindingKey) return kFnKeyboardKey;
  return RoundTripFunction(buttonNumber, binding);
}

namespace {

ButtonChoice KeptChoice(int buttonNumber, const ButtonBinding& binding, int modifiers) {
  return ButtonChoice{KeptBindingLabel(buttonNumber, binding), kFnKeptBinding, modifiers, binding};
}

}  // namespace

const std::vector<MenuItem>& ButtonMenu(int buttonNumber) {
  static const std::vector<MenuItem> leftOnly{kLeftClick};
  static const std::vector<MenuItem> rightOnly{kRightClick};
  static const std::vector<MenuItem> full{kLeftClick, kRightClick, kMiddleClick, kForward,  kBack,
                                          kScrollUp,  kScrollDown, kKeyboardKey, kDisable};
  static const std::vector<MenuItem> none;
  if (buttonNumber == 1) return leftOnly;
  if (buttonNumber == 2) return rightOnly;
  if (TakesKeys(buttonNumber)) return full;
  return none;
}

MenuItem InitialButtonItem(int buttonNumber) {
  switch (buttonNumber) {
    case 1: return kLeftClick;
    case 2: return kRightClick;
    case 3: return kMiddleClick;
    case 4: return kForward;
    case 5: return kBack;
    default: return kNoItem;
  }
}

ButtonChoice ChoiceFromBinding(int buttonNumber, const ButtonBinding& binding, const ButtonChoice& previous) {
  if (!IsPageButton(buttonNumber)) return previous;
  if (binding.type == kBindingKey) {
    const int modifiers = static_cast<int>(binding.code);
    if (!IsOfferedKey(buttonNumber, binding)) return KeptChoice(buttonNumber, binding, modifiers);
    const int key = NamedKeyOfUsage(binding.extra);
    return ButtonChoice{BuildBindingLabel(modifiers, binding.extra),
                        key == 0 ? kFnModifiersOnly : kFnKeyBase + key, modifiers, std::nullopt};
  }
  const int functionId = RoundTripFunction(buttonNumber, binding);
  for (const MenuItem& item : ButtonMenu(buttonNumber)) {
    if (item.functionId == functionId && item.functionId != kFnKeyboardKey)
      return ButtonChoice{item.label, functionId, previous.modifiers, std::nullopt};
  }
  return KeptChoice(buttonNumber, binding, previous.modifiers);
}

void StoreChoice(int buttonNumber, const ButtonChoice& choice, ButtonBinding& binding) {
  if (!IsPageButton(buttonNumber)) return;
  int functionId = choice.functionId;
  binding.index = static_cast<uint8_t>(buttonNumber - 1);
  if (functionId == kFnKeptBinding) {
    // Nothing else was chosen: the binding goes back as it was loaded.
    if (choice.kept) {
      binding.type = choice.kept->type;
      binding.code = choice.kept->code;
      binding.extra = choice.kept->extra;
    }
    return;
  }
  if (TakesKeys(buttonNumber) && IsKeyFunction(functionId)) {
    binding.type = EncodeFunctionType(functionId);
    binding.code = static_cast<uint32_t>(choice.modifiers);
    binding.extra = functionId == kFnModifiersOnly
                        ? 0
                        : static_cast<uint16_t>(VirtualKeyToHidUsage(functionId - kFnKeyBase));
    return;
  }
  if (functionId == kFnDisabled) {
    binding.type = kDisabledType;
    binding.code = kDisabledCode;
    return;
  }
  binding.type = EncodeFunctionType(functionId);
  int16_t code = static_cast<int16_t>(EncodeFunctionCode(functionId, buttonNumber - 1));
  binding.code = static_cast<uint32_t>(static_cast<int32_t>(code));
}

}  // namespace korvid
