#include "buttons/button_functions.h"

#include <gtest/gtest.h>

#include "buttons/binding_labels.h"
#include "buttons/key_names.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"

namespace korvid {
namespace {

std::vector<std::pair<std::u16string, int>> Items(int buttonNumber) {
  std::vector<std::pair<std::u16string, int>> items;
  for (const MenuItem& item : ButtonMenu(buttonNumber)) items.emplace_back(item.label, item.functionId);
  return items;
}

ButtonBinding Binding(int buttonNumber, uint32_t type, uint32_t code, uint16_t extra = 0) {
  return ButtonBinding{static_cast<uint8_t>(buttonNumber - 1), type, code, extra};
}

// What a button showed before a load; it differs from every menu item.
const ButtonChoice kPrevious{u"Shift+Q", kFnKeyBase + 'Q', kModShift};

TEST(ButtonMenu, FixedButtonsOfferTheirFunctionOnly) {
  using Menu = std::vector<std::pair<std::u16string, int>>;
  EXPECT_EQ(Items(1), (Menu{{u"Left click", 2101}}));
  EXPECT_EQ(Items(2), (Menu{{u"Right click", 2102}}));
  const Menu full = {{u"Left click", 2101}, {u"Right click", 2102}, {u"Middle click", 2103},
                     {u"IE Forward", 2105}, {u"IE Backward", 2104}, {u"Scroll Up", 2106},
                     {u"Scroll Down", 2107}, {u"Keyboard key", 1000}, {u"Disable button", 0}};
  for (int n : {3, 4, 5}) EXPECT_EQ(Items(n), full);
  EXPECT_TRUE(Items(0).empty());
  EXPECT_TRUE(Items(6).empty());
}

TEST(InitialButtonItem, FreshPageShowsTheDefaults) {
  const std::pair<const char16_t*, int> expected[] = {
      {u"Left click", 2101}, {u"Right click", 2102}, {u"Middle click", 2103}, {u"IE Forward", 2105},
      {u"IE Backward", 2104}};
  for (int n = 1; n <= kPageButtons; ++n) {
    MenuItem item = InitialButtonItem(n);
    EXPECT_EQ(std::u16string(item.label), expected[n - 1].first);
    EXPECT_EQ(item.functionId, expected[n - 1].second);
  }
}

struct StoredItem {
  int functionId;
  uint32_t type;
  uint32_t code;
};

TEST(ButtonChoice, EveryMenuItemStoresAndLoadsBack) {
  const StoredItem stored[] = {{2101, 0, 1},   {2102, 0, 2}, {2103, 0, 4},   {2104, 0, 8},
                               {2105, 0, 16},  {2106, 1, 1}, {2107, 1, 255}, {0, 255, 255}};
  for (int n = 1; n <= kPageButtons; ++n) {
    for (const MenuItem& item : ButtonMenu(n)) {
      if (item.functionId == kFnKeyboardKey) continue;  // opens key capture, never held
      SCOPED_TRACE(::testing::Message() << "button " << n << " item " << item.functionId);
      const ButtonChoice choice{item.label, item.functionId, 0};
      ButtonBinding binding = Binding(1, 7, 7, 0x1234);
      StoreChoice(n, choice, binding);

      const StoredItem* expected = nullptr;
      for (const StoredItem& s : stored) {
        if (s.functionId == item.functionId) expected = &s;
      }
      ASSERT_NE(expected, nullptr);
      EXPECT_EQ(binding, Binding(n, expected->type, expected->code, 0x1234));  // extra not written

      ButtonChoice loaded = ChoiceFromBinding(n, binding, ButtonChoice{u"x", 2101, 0});
      EXPECT_EQ(loaded, choice);
      ButtonBinding again = binding;
      StoreChoice(n, loaded, again);
      EXPECT_EQ(again, binding);
    }
  }
}

TEST(ButtonChoice, KeyboardBindingsShowTheirLabelAndStoreBackUnchanged) {
  struct KeyCase {
    uint32_t code;
    uint16_t extra;
    const char16_t* label;
    int functionId;
  };
  const KeyCase cases[] = {
      {kModCtrl | kModShift, 0x04, u"Ctrl+Shift+A", kFnKeyBase + 0x41},
      {kModCtrl, 0x00, u"Ctrl", kFnModifiersOnly},
      {kModCtrl, 0xE0, u"Left CONTROL", kFnKeyBase + 0xA2},
      {kModShift, 0x57, u"Shift++", kFnKeyBase + 0x6B},
      {0, 0x48, u"PAUSE", kFnKeyBase + 0x13},
      {0, 0x52, u"UP ARROW ", kFnKeyBase + 0x26},
  };
  for (int n : {3, 4, 5}) {
    for (const KeyCase& c : cases) {
      SCOPED_TRACE(::testing::Message() << "button " << n << " code " << c.code << " extra " << c.extra);
      ButtonBinding binding = Binding(n, kBindingKey, c.code, c.extra);
      ButtonChoice choice = ChoiceFromBinding(n, binding, kPrevious);
      EXPECT_EQ(choice, (ButtonChoice{c.label, c.functionId, static_cast<int>(c.code), std::nullopt}));
      ButtonBinding stored = Binding(n, 0, 0, 0);
      StoreChoice(n, choice, stored);
      EXPECT_EQ(stored, binding);
    }
  }
}

TEST(ButtonChoice, EveryKeyWithAUsageRoundTrips) {
  for (int key = 1; key <= 0xFF; ++key) {
    int usage = VirtualKeyToHidUsage(key);
    if (usage == key) continue;  // no usage for this key
    for (uint32_t modifiers : {0u, 5u, 15u}) {
      SCOPED_TRACE(::testing::Message() << "key " << key << " modifiers " << modifiers);
      const ButtonBinding binding = Binding(4, kBindingKey, modifiers, static_cast<uint16_t>(usage));
      ButtonChoice choice = ChoiceFromBinding(4, binding, kPrevious);
      // A key the table names shows its label; one without a name shows its usage.
      if (!GetKeyName(HidUsageToVirtualKey(usage)).empty())
        EXPECT_EQ(choice.label, BuildBindingLabel(static_cast<int>(modifiers), usage));
      else
        EXPECT_NE(choice.label.find(u"Key usage 0x"), std::u16string::npos);
      ButtonBinding stored;
      StoreChoice(4, choice, stored);
      EXPECT_EQ(stored, binding);
    }
  }
}

// Blocks written by other software may carry usages that have no virtual key
// (international keys, Power) or a high byte in `extra`: storing the loaded
// choice must not turn them into another key.
TEST(ButtonChoice, KeyboardUsagesWithoutAVirtualKeyStoreBackUnchanged) {
  for (uint16_t extra : {0x0068, 0x0070, 0x0087, 0x0066, 0x0173, 0x0100}) {
    SCOPED_TRACE(::testing::Message() << "extra " << extra);
    const ButtonBinding binding = Binding(5, kBindingKey, kModAlt, extra);
    ButtonChoice choice = ChoiceFromBinding(5, binding, kPrevious);
    ButtonBinding stored;
    StoreChoice(5, choice, stored);
    EXPECT_EQ(stored, binding);
  }
}

TEST(ButtonChoice, ANewKeyReplacesTheLoadedUsage) {
  ButtonChoice choice = ChoiceFromBinding(3, Binding(3, kBindingKey, kModCtrl, 0x0070), kPrevious);
  choice.functionId = kFnKeyBase + 0x42;  // the user captured B
  ButtonBinding stored;
  StoreChoice(3, choice, stored);
  EXPECT_EQ(stored.extra, 0x05);
}

// A binding the menus do not offer is shown for what it is and goes back to
// the mouse byte for byte, through any number of loads and stores, until the
// user picks something else for that button.
TEST(ButtonChoice, BindingsTheMenusDoNotOfferAreShownAndKept) {
  struct KeptCase {
    const char* what;
    int buttonNumber;
    ButtonBinding binding;
    const char16_t* label;
  };
  const KeptCase cases[] = {
      {"media: play/pause", 3, Binding(3, 32, 0xCD, 0x1234), u"Media: Play/Pause"},
      {"media: volume up", 4, Binding(4, 32, 0xE9), u"Media: Volume Up"},
      {"wheel code 2", 4, Binding(4, kBindingWheel, 2), u"Type 0x01, code 0x0002"},
      {"CPI up", 5, Binding(5, kBindingButton5Default, 0xF0), u"CPI: Up"},
      {"CPI function 0xF1", 5, Binding(5, kBindingButton5Default, 0xF1), u"Type 0x09, code 0x00F1"},
      {"middle click on button 1", 1, Binding(1, kBindingMouse, 4), u"Middle click"},
      {"disabled on button 2", 2, Binding(2, kBindingDisabled, 255), u"Disable button"},
      {"key on button 1", 1, Binding(1, kBindingKey, kModCtrl, 0x04), u"Ctrl+A"},
      {"key type with high bits", 3, Binding(3, 0x102, kModCtrl, 0x04), u"Type 0x102, code 0x0001"},
      {"unknown code of the mouse type", 3, Binding(3, kBindingMouse, 3), u"Type 0x00, code 0x0003"},
      {"disabled type with another code", 4, Binding(4, kBindingDisabled, 7), u"Type 0xFF, code 0x0007"},
      {"unknown type", 5, Binding(5, 77, 0x10), u"Type 0x4D, code 0x0010"},
      {"key usage outside the table", 3, Binding(3, kBindingKey, 0, 0x58), u"Key usage 0x58"},
      {"key usage outside the table", 4, Binding(4, kBindingKey, kModAlt, 0x66), u"Alt+Key usage 0x66"},
      {"key usage with a high byte", 5, Binding(5, kBindingKey, kModCtrl, 0x0173), u"Ctrl+Key usage 0x173"},
      {"modifier bits the toggles lack", 3, Binding(3, kBindingKey, 0x30 | kModShift, 0x04), u"Shift+A"},
  };
  for (const KeptCase& c : cases) {
    SCOPED_TRACE(c.what);
    ButtonChoice choice = ChoiceFromBinding(c.buttonNumber, c.binding, kPrevious);
    EXPECT_EQ(choice.label, c.label);
    EXPECT_EQ(choice.functionId, kFnKeptBinding);
    ButtonBinding stored = c.binding;
    for (int apply = 0; apply < 3; ++apply) {
      StoreChoice(c.buttonNumber, choice, stored);
      choice = ChoiceFromBinding(c.buttonNumber, stored, choice);
    }
    EXPECT_EQ(stored, c.binding);
  }
}

TEST(ButtonChoice, PickingAnythingReplacesAKeptBinding) {
  // Usage 0x58 (keypad Enter) reads as virtual key 0x58, which is X: a page
  // that showed it as "X" wrote it back unchanged after the user captured X.
  const ButtonBinding keypadEnter = Binding(3, kBindingKey, 0, 0x58);
  ButtonChoice choice = ChoiceFromBinding(3, keypadEnter, kPrevious);
  choice.functionId = kFnKeyBase + 'X';
  ButtonBinding stored = keypadEnter;
  StoreChoice(3, choice, stored);
  EXPECT_EQ(stored, Binding(3, kBindingKey, 0, 0x1B));

  const ButtonBinding media = Binding(4, 32, 0xE9);
  choice = ChoiceFromBinding(4, media, kPrevious);
  choice.functionId = kFnScrollDown;
  stored = media;
  StoreChoice(4, choice, stored);
  EXPECT_EQ(stored, Binding(4, kBindingWheel, 0xFF));
}

TEST(ButtonChoice, KeptBindingsAreDescribedByTheirFamily) {
  EXPECT_EQ(DescribeFunction(KeptBindingFunction(3, Binding(3, 32, 0xE9))), u"Bind to multimedia functionality");
  EXPECT_EQ(DescribeFunction(KeptBindingFunction(5, Binding(5, kBindingButton5Default, 0xF0))),
            u"Bind CPI up button");
  EXPECT_EQ(DescribeFunction(KeptBindingFunction(3, Binding(3, kBindingKey, 0, 0x58))),
            u"Bind button to a custom hotkey");
}

TEST(ButtonChoice, MenuItemKeepsTheModifierWord) {
  ButtonChoice loaded = ChoiceFromBinding(3, Binding(3, kBindingMouse, 16), kPrevious);
  EXPECT_EQ(loaded, (ButtonChoice{u"IE Forward", kFnForward, kPrevious.modifiers}));
}

TEST(StoreChoice, SetsTheIndexAndLeavesOtherButtonsAlone) {
  ButtonBinding binding = Binding(6, 9, 0xF1, 0x55);
  StoreChoice(3, ButtonChoice{u"Scroll Up", kFnScrollUp, 0}, binding);
  EXPECT_EQ(binding, Binding(3, kBindingWheel, 1, 0x55));

  ButtonBinding untouched = Binding(6, 9, 0xF1, 0x55);
  StoreChoice(6, ButtonChoice{u"Left click", kFnLeftClick, 0}, untouched);
  StoreChoice(0, ButtonChoice{u"Left click", kFnLeftClick, 0}, untouched);
  EXPECT_EQ(untouched, Binding(6, 9, 0xF1, 0x55));
}

TEST(StoreChoice, CodeIsSignExtendedFromSixteenBits) {
  // A key identifier on a button without key capture goes through the
  // ordinary encoding: 1000 - 1002 = -2.
  ButtonBinding binding;
  StoreChoice(1, ButtonChoice{u"", kFnKeyboardKey, 0}, binding);
  EXPECT_EQ(binding.type, kBindingKey);
  EXPECT_EQ(binding.code, 0xFFFFFFFEu);
}

}  // namespace
}  // namespace korvid
