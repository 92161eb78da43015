#include "buttons/hotkey_capture.h"

#include "buttons/binding_labels.h"
#include "buttons/key_names.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"

namespace korvid {
namespace {

constexpr char16_t kRefusedSuffix[] = u" cannot be bound";
constexpr char16_t kRefusedWithoutName[] = u"This key cannot be bound";
constexpr int kToggleBits = kModCtrl | kModShift | kModAlt | kModWin;

// The key the mouse sends back for what `key` stores: Cancel (Ctrl+Break)
// and Pause share a usage, which reads back as Pause.
int KeyOfItsUsage(int key) { return HidUsageToVirtualKey(VirtualKeyToHidUsage(key)); }

}  // namespace

void TakeKeyEvent(HotkeyCapture& capture, int key) {
  capture.capturedKey = key;
  capture.keyCaptured = true;
  // A key the mouse could not send, or one the page could not name after a
  // restart, is refused rather than stored as another key or as nothing.
  capture.refused = !VirtualKeyHasHidUsage(key) || GetKeyName(KeyOfItsUsage(key)).empty();
}

std::u16string KeyFieldText(const HotkeyCapture& capture) {
  if (!capture.keyCaptured) return {};
  const std::u16string name = GetKeyName(capture.capturedKey);
  if (!capture.refused) return GetKeyName(KeyOfItsUsage(capture.capturedKey));
  return name.empty() ? kRefusedWithoutName : name + kRefusedSuffix;
}

HotkeyBinding SaveHotkey(const HotkeyCapture& capture, int modifiers) {
  // A refused key is not bound as its modifiers alone: nothing changes.
  if (capture.keyCaptured && capture.refused) return {};
  const int mask = modifiers & kToggleBits;
  if (!capture.keyCaptured) {
    if (mask == 0) return {};
    return HotkeyBinding{true, BuildBindingLabel(mask, 0), kFnModifiersOnly, mask};
  }
  const int key = KeyOfItsUsage(capture.capturedKey);
  return HotkeyBinding{true, BuildBindingLabel(mask, VirtualKeyToHidUsage(key)), kFnKeyBase + key, mask};
}

}  // namespace korvid
