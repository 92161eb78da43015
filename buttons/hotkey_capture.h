#pragma once
#include <string>

// What the custom hotkey pop-up makes of the keys it captures and of its
// modifier toggles, kept free of windows so that it is tested natively.
namespace korvid {

// The virtual key of "no key": a binding of modifiers only.
inline constexpr int kNoCapturedKey = 500;

// The pop-up's capture state. Every press and every release is a key event,
// so the last one decides.
struct HotkeyCapture {
  int capturedKey = kNoCapturedKey;
  bool keyCaptured = false;
  // The last key has no keyboard usage (the mouse could not send it) or no
  // name: it is refused rather than stored as another key or as nothing.
  bool refused = false;
};

// Takes the key event of virtual key `key` (a press or a release).
void TakeKeyEvent(HotkeyCapture& capture, int key);
// What the key field shows: the key's name, a refusal, or nothing.
std::u16string KeyFieldText(const HotkeyCapture& capture);

// What Save hands to the function button.
struct HotkeyBinding {
  bool changes = false;  // false: nothing was chosen, the button stays as it was
  std::u16string label;
  int functionId = 0;
  int modifiers = 0;
};

// Save with the modifier mask of the toggles (1 Ctrl, 2 Shift, 4 Alt, 8 Win).
// With a refused key nothing changes; without a key, the modifiers alone.
HotkeyBinding SaveHotkey(const HotkeyCapture& capture, int modifiers);

}  // namespace korvid
