#include "buttons/button_functions.h"

#include "buttons/binding_labels.h"
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

// The function identifier a keyboard binding's `extra` loads as.
int KeyFunctionOf(uint16_t extra) {
  int keyUsage = extra & kKeyUsageMask;
  return keyUsage == 0 ? kFnModifiersOnly : kFnKeyBase + HidUsageToVirtualKey(keyUsage);
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
  if (TakesKeys(buttonNumber) && binding.type == kBindingKey) {
    int keyUsage = binding.extra & kKeyUsageMask;
    int modifiers = static_cast<int>(binding.code);
    ButtonChoice choice;
    choice.label = BuildBindingLabel(modifiers, keyUsage);
    choice.functionId = KeyFunctionOf(binding.extra);
    choice.modifiers = modifiers;
    choice.keyUsage = binding.extra;
    return choice;
  }
  int functionId = DecodeFunction(static_cast<int16_t>(binding.code), static_cast<uint8_t>(binding.type));
  for (const MenuItem& item : ButtonMenu(buttonNumber)) {
    if (item.functionId == functionId) return ButtonChoice{item.label, functionId, previous.modifiers};
  }
  return previous;
}

void StoreChoice(int buttonNumber, const ButtonChoice& choice, ButtonBinding& binding) {
  if (!IsPageButton(buttonNumber)) return;
  int functionId = choice.functionId;
  binding.index = static_cast<uint8_t>(buttonNumber - 1);
  if (TakesKeys(buttonNumber) && IsKeyFunction(functionId)) {
    binding.type = EncodeFunctionType(functionId);
    binding.code = static_cast<uint32_t>(choice.modifiers);
    if (choice.keyUsage != 0 && KeyFunctionOf(choice.keyUsage) == functionId)
      binding.extra = choice.keyUsage;
    else
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
