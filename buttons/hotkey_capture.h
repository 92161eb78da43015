#pragma once
#include <bitset>
#include <string>
#include <vector>

// What the custom hotkey pop-up makes of the keys it captures and of its
// modifier toggles, kept free of windows so that it is tested natively.
namespace korvid {

// The virtual key of "no key": a binding of modifiers only.
inline constexpr int kNoCapturedKey = 500;

// The pop-up's capture. It takes one chord as the user presses it: the
// modifier keys held, then a key (Ctrl+Shift+F5); or modifier keys alone,
// all let go (the one pressed last is the key, the others held with it its
// modifiers). Then it stops, and the keys are the dialog's again until a
// capture begins anew.
struct HotkeyCapture {
  int capturedKey = kNoCapturedKey;
  bool keyCaptured = false;
  // The key has no keyboard usage (the mouse could not send it) or no name:
  // it is refused rather than stored as another key or as nothing.
  bool refused = false;
  // Taking a chord: key events are the capture's and key messages are kept
  // from the dialog.
  bool capturing = true;
  // The modifier mask the toggles show (1 Ctrl, 2 Shift, 4 Alt, 8 Win):
  // ticked by hand, or held for the chord taken.
  int modifiers = 0;
  // Modifiers held now, while capturing; shown live with the others.
  int heldModifiers = 0;
  // The modifier key pressed last while no other key was, and what was held
  // with it: the chord of modifiers alone.
  int lastModifierKey = 0;
  int lastModifierWith = 0;
  // Virtual keys (1-255) down that the capture saw go down.
  std::bitset<256> down;
  // Keys already down when the capture began (the key that opened the
  // pop-up): not part of a chord.
  std::bitset<256> ignored;
  // Keys of the chord (by the key messages' virtual key) whose messages the
  // dialog must not act on, until their release has reached it.
  std::bitset<256> swallowed;
};

// Begins a capture anew: no key, no modifier; `keysDown` are down already.
void StartCapture(HotkeyCapture& capture, const std::vector<int>& keysDown);
// Stops a capture without taking a key (the user went to the key list).
void StopCapture(HotkeyCapture& capture);
// Takes the key event of virtual key `key`, a press or a release.
void TakeKeyEvent(HotkeyCapture& capture, int key, bool released);
// `key` chosen from the key list, as if pressed with the toggles' modifiers.
void ChooseListedKey(HotkeyCapture& capture, int key);
// Whether the dialog must not see a key message (WM_KEYDOWN, WM_SYSKEYUP,
// ...) of virtual key `key`: every one while capturing, then those of the
// chord's keys until each one's release.
bool SwallowsKeyMessage(HotkeyCapture& capture, int key, bool released);

// What the key field shows: the whole combination Save would bind, live
// while modifiers are held; a refusal; or nothing.
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

// A key offered in the pop-up's list: one a keyboard may lack.
struct ListedKey {
  int key;  // virtual key
  std::u16string name;
  int usage;  // what the mouse sends
};
// F13 to F24, then the other keys of the key table that a full-size
// keyboard lacks, each with its name and usage.
const std::vector<ListedKey>& KeyList();

}  // namespace korvid
