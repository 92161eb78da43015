#include "buttons/hotkey_capture.h"

#include <gtest/gtest.h>

#include <vector>

#include "buttons/binding_labels.h"
#include "buttons/button_functions.h"
#include "profile/profile_record.h"

namespace korvid {
namespace {

HotkeyCapture Captured(const std::vector<int>& keyEvents) {
  HotkeyCapture capture;
  for (int key : keyEvents) TakeKeyEvent(capture, key);
  return capture;
}

TEST(HotkeyCapture, FieldShowsTheKeyOfTheLastEvent) {
  const struct {
    const char* what;
    std::vector<int> events;
    const char16_t* field;
    bool refused;
  } cases[] = {
      {"nothing yet", {}, u"", false},
      {"A pressed and released", {0x41, 0x41}, u"A", false},
      {"Escape as the first key", {0x1B}, u"ESC", false},
      {"Enter", {0x0D}, u"ENTER", false},
      // Ctrl held over A and let go last: the release decides.
      {"Ctrl, A, A up, Ctrl up", {0xA2, 0x41, 0x41, 0xA2}, u"Left CONTROL", false},
      {"F13", {0x7C}, u"F13", false},
      {"mute: a usage and now a name", {0xAD}, u"Volume Mute", false},
      {"Cancel reads back as Pause", {0x03}, u"PAUSE", false},
      {"browser forward: no usage", {0xA7}, u"Browser Forward cannot be bound", true},
      {"media play: neither name nor usage", {0xB3}, u"This key cannot be bound", true},
      {"generic Shift", {0x10}, u"This key cannot be bound", true},
      {"a refused key, then an accepted one", {0xA7, 0x42}, u"B", false},
      {"an accepted key, then a refused one", {0x42, 0xA8}, u"Browser Refresh cannot be bound", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const HotkeyCapture capture = Captured(c.events);
    EXPECT_EQ(capture.keyCaptured, !c.events.empty());
    EXPECT_EQ(KeyFieldText(capture), c.field);
    EXPECT_EQ(capture.refused, c.refused);
    if (!c.events.empty()) EXPECT_EQ(capture.capturedKey, c.events.back());
  }
}

TEST(SaveHotkey, LabelIdentifierAndMask) {
  const struct {
    const char* what;
    std::vector<int> events;
    int modifiers;
    HotkeyBinding expected;
  } cases[] = {
      {"Ctrl and A", {0x41, 0x41}, kModCtrl, {true, u"Ctrl+A", 1067, kModCtrl}},
      {"Ctrl, Shift and F5", {0x74}, kModCtrl | kModShift, {true, u"Ctrl+Shift+F5", 1002 + 0x74, 3}},
      {"Shift and Alt, no key", {}, kModShift | kModAlt, {true, u"Shift+Alt", 1502, 6}},
      {"every toggle and Z", {0x5A}, 15, {true, u"Ctrl+Shift+Alt+Win+Z", 1002 + 0x5A, 15}},
      {"F5 alone", {0x74}, 0, {true, u"F5", 1118, 0}},
      {"Escape alone", {0x1B}, 0, {true, u"ESC", 1002 + 0x1B, 0}},
      {"F24 with Win", {0x87}, kModWin, {true, u"Win+F24", 1002 + 0x87, kModWin}},
      {"nothing chosen", {}, 0, {}},
      {"Cancel is stored as the Pause it reads back as", {0x03}, 0, {true, u"PAUSE", 1002 + 0x13, 0}},
      {"a key without a name, no toggle", {0xFE}, 0, {}},
      {"a key without a name, with a toggle", {0xFE}, kModCtrl, {}},
      {"a refused key, no toggle", {0xA7}, 0, {}},
      {"a refused key, with a toggle: not the toggle alone", {0xA7}, kModAlt, {}},
      {"Shift and keypad plus", {0x6B}, kModShift, {true, u"Shift++", 1002 + 0x6B, kModShift}},
      {"bits beyond the four toggles", {0x41}, 16 | kModCtrl, {true, u"Ctrl+A", 1067, kModCtrl}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const HotkeyBinding saved = SaveHotkey(Captured(c.events), c.modifiers);
    EXPECT_EQ(saved.changes, c.expected.changes);
    if (!c.expected.changes) continue;
    EXPECT_EQ(saved.label, c.expected.label);
    EXPECT_EQ(saved.functionId, c.expected.functionId);
    EXPECT_EQ(saved.modifiers, c.expected.modifiers);
  }
}

// A binding reads the same right after Save as after a restart, when the
// page loads it back from the mouse.
TEST(SaveHotkey, LabelIsTheLabelTheBindingLoadsWith) {
  for (int key = 1; key <= 0xFF; ++key) {
    for (int modifiers : {0, kModCtrl | kModShift, 15}) {
      const HotkeyBinding saved = SaveHotkey(Captured({key}), modifiers);
      if (!saved.changes) continue;
      SCOPED_TRACE(::testing::Message() << "key " << key << " modifiers " << modifiers);
      ButtonBinding binding;
      StoreChoice(3, ButtonChoice{saved.label, saved.functionId, saved.modifiers, std::nullopt}, binding);
      const ButtonChoice loaded = ChoiceFromBinding(3, binding, ButtonChoice{});
      EXPECT_EQ(loaded.label, saved.label);
      EXPECT_EQ(loaded.functionId, saved.functionId);
    }
  }
}

}  // namespace
}  // namespace korvid
