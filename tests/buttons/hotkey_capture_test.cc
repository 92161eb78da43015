#include "buttons/hotkey_capture.h"

#include <gtest/gtest.h>

#include <vector>

#include "buttons/binding_labels.h"
#include "buttons/button_functions.h"
#include "profile/profile_record.h"

namespace korvid {
namespace {

constexpr int kLeftShift = 0xA0, kRightShift = 0xA1, kLeftCtrl = 0xA2, kLeftAlt = 0xA4, kLeftWin = 0x5B;

// A key event from the keyboard hook: a press or a release.
struct Event {
  int key;
  bool released = false;
};
Event Up(int key) { return Event{key, true}; }

HotkeyCapture Captured(const std::vector<Event>& events, const std::vector<int>& keysDown = {}) {
  HotkeyCapture capture;
  StartCapture(capture, keysDown);
  for (const Event& event : events) TakeKeyEvent(capture, event.key, event.released);
  return capture;
}

// Each key pressed and let go at once, as a keyboard types them.
std::vector<Event> Typed(const std::vector<int>& keys) {
  std::vector<Event> events;
  for (int key : keys) {
    events.push_back({key});
    events.push_back(Up(key));
  }
  return events;
}

TEST(HotkeyCapture, TakesOneChordAsItIsPressed) {
  const struct {
    const char* what;
    std::vector<Event> events;
    const char16_t* field;
    int modifiers;
    bool capturing;
    bool refused;
  } cases[] = {
      {"nothing yet", {}, u"", 0, true, false},
      {"A pressed and released", Typed({'A'}), u"A", 0, false, false},
      {"Ctrl and Shift held: shown live", {{kLeftCtrl}, {kLeftShift}}, u"Ctrl+Shift+", 0, true, false},
      {"Ctrl, Shift and F5 in one press",
       {{kLeftCtrl}, {kLeftShift}, {0x74}, Up(0x74), Up(kLeftShift), Up(kLeftCtrl)}, u"Ctrl+Shift+F5", 3, false, false},
      {"the chord is taken at the key's press", {{kLeftCtrl}, {kLeftShift}, {0x74}}, u"Ctrl+Shift+F5", 3, false, false},
      {"Ctrl held over A, let go last", {{kLeftCtrl}, {'A'}, Up('A'), Up(kLeftCtrl)}, u"Ctrl+A", kModCtrl, false,
       false},
      {"right Alt and Win with Z", {{0xA5}, {kLeftWin}, {'Z'}}, u"Alt+Win+Z", kModAlt | kModWin, false, false},
      {"a key after the chord is not taken", Typed({'A', 'B'}), u"A", 0, false, false},
      {"a modifier held and let go alone is the key", Typed({kLeftShift}), u"Left SHIFT", 0, false, false},
      {"Ctrl held, Shift pressed and let go: Shift with Ctrl",
       {{kLeftCtrl}, {kRightShift}, Up(kRightShift), Up(kLeftCtrl)}, u"Ctrl+Right SHIFT", kModCtrl, false, false},
      {"a modifier the hook names without a side", Typed({0x11}), u"Left CONTROL", 0, false, false},
      {"a modifier's repeats change nothing", {{kLeftAlt}, {kLeftAlt}, {kLeftAlt}, {0x73}}, u"Alt+F4", kModAlt, false,
       false},
      {"a release whose press came before", {Up(0x0D), Up(0x20)}, u"", 0, true, false},
      {"Escape as the first key", Typed({0x1B}), u"ESC", 0, false, false},
      {"F13", Typed({0x7C}), u"F13", 0, false, false},
      {"mute: a usage and a name", Typed({0xAD}), u"Volume Mute", 0, false, false},
      {"Cancel reads back as Pause", Typed({0x03}), u"PAUSE", 0, false, false},
      {"browser forward: no usage", Typed({0xA7}), u"Browser Forward cannot be bound", 0, false, true},
      {"media play: neither name nor usage", Typed({0xB3}), u"This key cannot be bound", 0, false, true},
      {"Win held over a refused key", {{kLeftWin}, {0xA8}}, u"Browser Refresh cannot be bound", kModWin, false,
       true},
      {"a key beyond the keyboard's", {{0x1234}}, u"This key cannot be bound", 0, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const HotkeyCapture capture = Captured(c.events);
    EXPECT_EQ(KeyFieldText(capture), c.field);
    EXPECT_EQ(capture.modifiers, c.modifiers);
    EXPECT_EQ(capture.capturing, c.capturing);
    EXPECT_EQ(capture.keyCaptured, !c.capturing);
    EXPECT_EQ(capture.refused, c.refused);
  }
}

TEST(HotkeyCapture, KeysDownAtTheStartAreLeftOutUntilReleased) {
  // The Enter that opened the pop-up, held long enough to repeat.
  HotkeyCapture capture = Captured({{0x0D}, {0x0D}, Up(0x0D)}, {0x0D});
  EXPECT_TRUE(capture.capturing);
  EXPECT_EQ(KeyFieldText(capture), u"");
  TakeKeyEvent(capture, 0x0D, false);
  EXPECT_FALSE(capture.capturing);
  EXPECT_EQ(KeyFieldText(capture), u"ENTER");
}

// A capture just begun, with `modifiers` ticked by hand.
HotkeyCapture TickedByHand(int modifiers) {
  HotkeyCapture capture;
  StartCapture(capture, {});
  capture.modifiers = modifiers;
  return capture;
}

TEST(HotkeyCapture, ModifiersTickedByHandJoinTheChordAndCaptureAnewClearsThem) {
  HotkeyCapture capture = TickedByHand(kModAlt);
  EXPECT_EQ(KeyFieldText(capture), u"Alt");
  TakeKeyEvent(capture, kLeftCtrl, false);
  EXPECT_EQ(KeyFieldText(capture), u"Ctrl+Alt+");
  TakeKeyEvent(capture, 'Q', false);
  EXPECT_EQ(KeyFieldText(capture), u"Ctrl+Alt+Q");
  // Changed by hand afterwards, the field follows.
  capture.modifiers = kModCtrl;
  EXPECT_EQ(KeyFieldText(capture), u"Ctrl+Q");
  StartCapture(capture, {});
  EXPECT_EQ(capture.modifiers, 0);
  EXPECT_FALSE(capture.keyCaptured);
  EXPECT_EQ(KeyFieldText(capture), u"");
}

TEST(HotkeyCapture, ListedKeyIsTakenWithTheToggles) {
  HotkeyCapture capture = TickedByHand(kModShift);
  ChooseListedKey(capture, 0x80);  // F17
  EXPECT_FALSE(capture.capturing);
  EXPECT_EQ(KeyFieldText(capture), u"Shift+F17");
  const HotkeyBinding saved = SaveHotkey(capture, capture.modifiers);
  EXPECT_EQ(saved.label, u"Shift+F17");
  EXPECT_EQ(saved.functionId, 1002 + 0x80);
}

// What the dialog is kept from: every key message while a chord is taken,
// then those of the chord's keys until each one's release reaches it.
TEST(HotkeyCapture, KeyMessagesOfTheChordNeverReachTheDialog) {
  struct Step {
    bool hook;  // a hook event; otherwise a key message reaching the dialog
    int key;
    bool released;
    bool swallowed;  // for a message
  };
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      // Enter as the chord's key: its press message comes after the chord is taken.
      {"Enter",
       {{true, 0x0D, false, false}, {false, 0x0D, false, true}, {true, 0x0D, true, false}, {false, 0x0D, true, true},
        {true, 0x0D, false, false}, {false, 0x0D, false, false}}},
      // Alt+F4: the messages name Alt without its side.
      {"Alt+F4",
       {{true, kLeftAlt, false, false}, {false, 0x12, false, true}, {true, 0x73, false, false},
        {false, 0x73, false, true}, {false, 0x73, false, true}, {true, 0x73, true, false}, {false, 0x73, true, true},
        {true, kLeftAlt, true, false}, {false, 0x12, true, true}, {false, 0x09, false, false}}},
      // A message the dialog got while capturing is kept from it to its release.
      {"Escape's message before its hook event",
       {{false, 0x1B, false, true}, {true, 0x1B, false, false}, {true, 0x1B, true, false}, {false, 0x1B, true, true},
        {false, 0x1B, false, false}}},
      // A chord key let go in another window: its next press is the dialog's.
      {"a release the dialog never saw",
       {{true, 'K', false, false}, {true, 'K', true, false}, {true, 'K', false, false}, {false, 'K', false, false}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HotkeyCapture capture;
    StartCapture(capture, {});
    int index = 0;
    for (const Step& step : c.steps) {
      SCOPED_TRACE(index++);
      if (step.hook) {
        TakeKeyEvent(capture, step.key, step.released);
      } else {
        EXPECT_EQ(SwallowsKeyMessage(capture, step.key, step.released), step.swallowed);
      }
    }
  }
}

TEST(KeyList, OffersTheKeysAKeyboardMayLackWithTheirNamesAndUsages) {
  const struct {
    int key;
    const char16_t* name;
    int usage;
  } expected[] = {
      {0x7C, u"F13", 0x68},        {0x7D, u"F14", 0x69},         {0x7E, u"F15", 0x6A},
      {0x7F, u"F16", 0x6B},        {0x80, u"F17", 0x6C},         {0x81, u"F18", 0x6D},
      {0x82, u"F19", 0x6E},        {0x83, u"F20", 0x6F},         {0x84, u"F21", 0x70},
      {0x85, u"F22", 0x71},        {0x86, u"F23", 0x72},         {0x87, u"F24", 0x73},
      {0xAD, u"Volume Mute", 0x7F}, {0xAE, u"Volume Down", 0x81}, {0xAF, u"Volume Up ", 0x80},
      {0xE2, u"<>", 0x64},         {0x1C, u"CONVERT", 0x8A},     {0x1D, u"NONCONVERT", 0x8B},
      {0x0C, u"CLEAR", 0x9C},      {0x29, u"SELECT", 0x77},      {0x2B, u"EXECUTE", 0x74},
      {0x2F, u"HELP", 0x75},       {0x6C, u"SEPARATOR", 0x85},   {0xF6, u"ATTN", 0x9A},
      {0xF7, u"CRSEL", 0xA3},      {0xF8, u"EXSEL", 0xA4},
  };
  const std::vector<ListedKey>& list = KeyList();
  ASSERT_EQ(list.size(), std::size(expected));
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list[i].key, expected[i].key);
    EXPECT_EQ(list[i].name, expected[i].name);
    EXPECT_EQ(list[i].usage, expected[i].usage);
    // Each one is a key the pop-up takes and the page names the same after a restart.
    HotkeyCapture capture;
    ChooseListedKey(capture, list[i].key);
    const HotkeyBinding saved = SaveHotkey(capture, kModCtrl);
    ASSERT_TRUE(saved.changes);
    EXPECT_EQ(saved.label, u"Ctrl+" + list[i].name);
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
    const HotkeyBinding saved = SaveHotkey(Captured(Typed(c.events)), c.modifiers);
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
      const HotkeyBinding saved = SaveHotkey(Captured(Typed({key})), modifiers);
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
