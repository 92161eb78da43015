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
constexpr int kKeySlots = 256;

// The modifier keys: the side-less key the key messages carry, the left and
// right keys the keyboard hook reports, and the modifier bit.
struct ModifierKey {
  int sideless;
  int left;
  int right;
  int bit;
};
constexpr ModifierKey kModifierKeys[] = {
    {0x10, 0xA0, 0xA1, kModShift},  // Shift
    {0x11, 0xA2, 0xA3, kModCtrl},   // Ctrl
    {0x12, 0xA4, 0xA5, kModAlt},    // Alt
    {0x5B, 0x5B, 0x5C, kModWin},    // the Windows keys have no side-less key
};

const ModifierKey* ModifierOf(int key) {
  for (const ModifierKey& modifier : kModifierKeys) {
    if (key == modifier.sideless || key == modifier.left || key == modifier.right) return &modifier;
  }
  return nullptr;
}

// The key as the key messages name it: Shift for left Shift, and so on.
int MessageKey(int key) {
  const ModifierKey* modifier = ModifierOf(key);
  return modifier && modifier->bit != kModWin ? modifier->sideless : key;
}

bool InSlots(int key) { return key > 0 && key < kKeySlots; }

int ModifiersDown(const std::bitset<256>& down) {
  int bits = 0;
  for (const ModifierKey& modifier : kModifierKeys) {
    if (down[modifier.sideless] || down[modifier.left] || down[modifier.right]) bits |= modifier.bit;
  }
  return bits;
}

// The key the mouse sends back for what `key` stores: Cancel (Ctrl+Break)
// and Pause share a usage, which reads back as Pause.
int KeyOfItsUsage(int key) { return HidUsageToVirtualKey(VirtualKeyToHidUsage(key)); }

bool Refuses(int key) { return !VirtualKeyHasHidUsage(key) || GetKeyName(KeyOfItsUsage(key)).empty(); }

// The chord is taken: `key` with `with` held. Its keys still down keep their
// messages from the dialog until they come up.
void TakeChord(HotkeyCapture& capture, int key, int with) {
  capture.capturedKey = key;
  capture.keyCaptured = true;
  capture.refused = Refuses(key);
  capture.modifiers = (capture.modifiers | with) & kToggleBits;
  capture.capturing = false;
  capture.heldModifiers = 0;
  capture.lastModifierKey = 0;
  capture.lastModifierWith = 0;
  for (int slot = 1; slot < kKeySlots; ++slot) {
    if (capture.down[slot]) capture.swallowed.set(MessageKey(slot));
  }
  if (InSlots(key)) capture.swallowed.set(MessageKey(key));
}

}  // namespace

void StartCapture(HotkeyCapture& capture, const std::vector<int>& keysDown) {
  capture = HotkeyCapture{};
  for (int key : keysDown) {
    if (InSlots(key)) capture.ignored.set(key);
  }
}

void StopCapture(HotkeyCapture& capture) {
  capture.capturing = false;
  capture.heldModifiers = 0;
  capture.lastModifierKey = 0;
}

void TakeKeyEvent(HotkeyCapture& capture, int key, bool released) {
  if (!InSlots(key)) {
    // No keyboard sends such a key; pressed while capturing, it is refused.
    if (capture.capturing && !released) TakeChord(capture, key, capture.heldModifiers);
    return;
  }
  if (capture.ignored[key]) {
    if (released) capture.ignored.reset(key);
    return;
  }
  if (!capture.capturing) {
    // A new press (not the repeat of a key held) is the dialog's again.
    if (!released && !capture.down[key]) capture.swallowed.reset(MessageKey(key));
    capture.down.set(key, !released);
    return;
  }
  const ModifierKey* modifier = ModifierOf(key);
  if (!released) {
    if (capture.down[key]) return;  // the key repeats while held
    capture.down.set(key);
    if (!modifier) {
      TakeChord(capture, key, capture.heldModifiers);
      return;
    }
    capture.lastModifierWith = capture.heldModifiers & ~modifier->bit;
    capture.lastModifierKey = key == modifier->sideless ? modifier->left : key;
    capture.heldModifiers = ModifiersDown(capture.down);
    return;
  }
  // A release whose press the capture did not see belongs to no chord.
  if (!capture.down[key]) return;
  capture.down.reset(key);
  capture.heldModifiers = ModifiersDown(capture.down);
  if (capture.down.none() && capture.lastModifierKey != 0) {
    TakeChord(capture, capture.lastModifierKey, capture.lastModifierWith);
  }
}

void ChooseListedKey(HotkeyCapture& capture, int key) {
  StopCapture(capture);
  capture.capturedKey = key;
  capture.keyCaptured = true;
  capture.refused = Refuses(key);
}

bool SwallowsKeyMessage(HotkeyCapture& capture, int key, bool released) {
  if (!InSlots(key)) return capture.capturing;
  if (capture.capturing) {
    // Its release must not reach the dialog either, once the chord is taken.
    if (!released) capture.swallowed.set(key);
    return true;
  }
  if (!capture.swallowed[key]) return false;
  if (released) capture.swallowed.reset(key);
  return true;
}

std::u16string KeyFieldText(const HotkeyCapture& capture) {
  if (capture.capturing || !capture.keyCaptured) {
    const std::u16string held = BuildBindingLabel(capture.modifiers | capture.heldModifiers, 0);
    // Modifiers held wait for their key.
    return capture.capturing && capture.heldModifiers != 0 ? held + u"+" : held;
  }
  if (!capture.refused) {
    return BuildBindingLabel(capture.modifiers, VirtualKeyToHidUsage(KeyOfItsUsage(capture.capturedKey)));
  }
  const std::u16string name = GetKeyName(capture.capturedKey);
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

const std::vector<ListedKey>& KeyList() {
  static const std::vector<ListedKey> list = [] {
    std::vector<int> keys;
    for (int key = 0x7C; key <= 0x87; ++key) keys.push_back(key);  // F13 to F24
    // The keys of the key table a full-size keyboard does without: media
    // keys, the keys of ISO and Japanese layouts, and old terminal keys.
    for (int key : {0xAD, 0xAE, 0xAF, 0xE2, 0x1C, 0x1D, 0x0C, 0x29, 0x2B, 0x2F, 0x6C, 0xF6, 0xF7, 0xF8}) {
      keys.push_back(key);
    }
    std::vector<ListedKey> listed;
    for (int key : keys) listed.push_back(ListedKey{key, GetKeyName(key), VirtualKeyToHidUsage(key)});
    return listed;
  }();
  return list;
}

}  // namespace korvid
