#include "buttons/hotkey_capture.h"

#include "buttons/binding_labels.h"
#include "buttons/key_names.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"

namespace korvid {
namespace {

constexpr char16_t kRefusedSuffix[] = u" cannot be bound";
constexpr char16_t kRefusedWithoutName[] = u"This key cannot be bound";

struct ModifierToggle {
  int bit;
  const char16_t* prefix;
};

// In label order; Ctrl in capitals, as the pop-up has always written it.
constexpr ModifierToggle kToggles[] = {
    {kModShift, u"Shift+"}, {kModCtrl, u"CTRL+"}, {kModAlt, u"Alt+"}, {kModWin, u"Win+"}};

// The name Save takes as the key: empty for no key, a refused key or a key
// without a name.
std::u16string BoundKeyName(const HotkeyCapture& capture) {
  if (!capture.keyCaptured || capture.refused) return {};
  return GetKeyName(capture.capturedKey);
}

}  // namespace

void TakeKeyEvent(HotkeyCapture& capture, int key) {
  capture.capturedKey = key;
  capture.keyCaptured = true;
  capture.refused = !VirtualKeyHasHidUsage(key);
}

std::u16string KeyFieldText(const HotkeyCapture& capture) {
  if (!capture.keyCaptured) return {};
  const std::u16string name = GetKeyName(capture.capturedKey);
  if (!capture.refused) return name;
  return name.empty() ? kRefusedWithoutName : name + kRefusedSuffix;
}

HotkeyBinding SaveHotkey(const HotkeyCapture& capture, int modifiers) {
  std::u16string prefix;
  int mask = 0;
  for (const ModifierToggle& toggle : kToggles) {
    if ((modifiers & toggle.bit) == 0) continue;
    prefix += toggle.prefix;
    mask |= toggle.bit;
  }
  const std::u16string keyName = BoundKeyName(capture);
  if (mask == 0 && keyName.empty()) return {};
  if (keyName.empty()) return HotkeyBinding{true, TrimTrailingPlus(prefix), kFnModifiersOnly, mask};
  return HotkeyBinding{true, prefix + keyName, kFnKeyBase + capture.capturedKey, mask};
}

}  // namespace korvid
