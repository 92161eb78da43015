#include "korvidctl/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "buttons/binding_labels.h"
#include "profile/device_model.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"
#include "profile/text.h"
#include "sensor/sensor_rules.h"
#include "korvidctl/key_labels.h"

namespace korvidctl {

using namespace korvid;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Menu labels compared without case, blanks or hyphens.
std::string LabelToken(const std::string& text) {
  std::string token;
  for (unsigned char c : Lower(text))
    if (c != ' ' && c != '-' && c != '_') token += static_cast<char>(c);
  return token;
}

const std::map<std::string, int>& ModifiersByName() {
  static const std::map<std::string, int> modifiers = {
      {"ctrl", kModCtrl}, {"control", kModCtrl}, {"shift", kModShift}, {"alt", kModAlt}, {"win", kModWin},
  };
  return modifiers;
}

const std::map<std::string, int>& MouseFunctionsByName() {
  static const std::map<std::string, int> functions = {
      {"left", kFnLeftClick},      {"right", kFnRightClick},      {"middle", kFnMiddleClick},
      {"back", kFnBack},           {"forward", kFnForward},       {"scroll-up", kFnScrollUp},
      {"scroll-down", kFnScrollDown}, {"disable", kFnDisabled},
  };
  return functions;
}

std::optional<int> ParseInteger(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (unsigned char c : text)
    if (!std::isdigit(c)) return std::nullopt;
  return std::atoi(text.c_str());
}

std::optional<bool> ParseOnOff(const std::string& text) {
  std::string value = Lower(text);
  if (value == "on") return true;
  if (value == "off") return false;
  return std::nullopt;
}

// The level number of "cpi3" for prefix "cpi": 1-4, or 0.
int LevelOf(const std::string& key, const std::string& prefix) {
  if (key.size() != prefix.size() + 1 || key.compare(0, prefix.size(), prefix) != 0) return 0;
  char digit = key.back();
  return digit >= '1' && digit <= '4' ? digit - '0' : 0;
}

}  // namespace

std::optional<ButtonChoice> ParseButtonFunction(const std::string& text, std::string& error) {
  std::string value = Lower(text);
  auto mouse = MouseFunctionsByName().find(value);
  for (const MenuItem& item : ButtonMenu(3)) {
    const bool named = mouse != MouseFunctionsByName().end() && item.functionId == mouse->second;
    if (named || LabelToken(ToUtf8(item.label)) == LabelToken(value)) return ButtonChoice{item.label, item.functionId, 0, std::nullopt};
  }
  int modifiers = 0;
  std::optional<int> key;
  size_t start = 0;
  while (start <= value.size()) {
    size_t plus = value.find('+', start);
    std::string part = value.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    auto modifier = ModifiersByName().find(LabelToken(part));
    std::optional<int> vk = KeyFromName(part);
    if (modifier != ModifiersByName().end()) {
      modifiers |= modifier->second;
    } else if (!vk) {
      error = "unknown key or button function '" + (part.empty() ? text : part) + "'";
      return std::nullopt;
    } else if (key) {
      error = "only one key can be bound, with modifiers: '" + text + "'";
      return std::nullopt;
    } else {
      key = vk;
    }
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  if (!key && modifiers == 0) {
    error = "unknown button function '" + text + "'";
    return std::nullopt;
  }
  int usage = key ? VirtualKeyToHidUsage(*key) : 0;
  ButtonChoice choice;
  choice.functionId = key ? kFnKeyBase + *key : kFnModifiersOnly;
  choice.modifiers = modifiers;
  choice.label = BuildBindingLabel(modifiers, usage);
  return choice;
}

std::optional<Change> ParseAssignment(const std::string& assignment, std::string& error) {
  size_t equals = assignment.find('=');
  if (equals == std::string::npos) {
    error = "expected KEY=VALUE, got '" + assignment + "'";
    return std::nullopt;
  }
  std::string key = Lower(assignment.substr(0, equals));
  std::string value = assignment.substr(equals + 1);
  auto bad = [&](const std::string& what) {
    error = "bad value '" + value + "' for " + key + ": expected " + what;
    return std::nullopt;
  };
  if (int level = LevelOf(key, "cpi")) {
    std::optional<int> cpi = ParseInteger(value);
    const DeviceModel& model = KorvidModel();
    if (!cpi || *cpi < model.cpiMin || *cpi > model.cpiMax) return bad("a number from 50 to 16000");
    uint16_t rounded = static_cast<uint16_t>(RoundCpi(*cpi));
    return Change{[level, rounded](DeviceImage& image) {
      image.cpi[level - 1].x = rounded;
      image.cpi[level - 1].y = rounded;
    }, false, "cpi" + std::to_string(level)};
  }
  if (int level = LevelOf(key, "level")) {
    std::optional<bool> on = ParseOnOff(value);
    if (!on) return bad("on or off");
    uint8_t state = static_cast<uint8_t>(LevelRecordValue(*on));
    return Change{[level, state](DeviceImage& image) { image.cpi[level - 1].disabled = state; }, !*on,
                  "level" + std::to_string(level)};
  }
  if (int level = LevelOf(key, "colour") ? LevelOf(key, "colour") : LevelOf(key, "color")) {
    std::optional<uint32_t> colour = ColourFromText(value);
    if (!colour) return bad("#RRGGBB");
    return Change{[level, c = *colour](DeviceImage& image) {
      LedRecord4& led = image.cpiLeds[level - 1];
      led.red = static_cast<uint8_t>(c & 0xFF);
      led.green = static_cast<uint8_t>((c >> 8) & 0xFF);
      led.blue = static_cast<uint8_t>((c >> 16) & 0xFF);
    }, false, "colour" + std::to_string(level)};
  }
  if (key == "lift") {
    std::string mm = Lower(value);
    if (mm != "2mm" && mm != "3mm") return bad("2mm or 3mm");
    uint8_t code = mm == "2mm" ? kLiftOff2mm : kLiftOff3mm;
    return Change{[code](DeviceImage& image) { image.liftOffDistance = code; }, false, "lift"};
  }
  if (key == "smoothing") {
    std::optional<bool> on = ParseOnOff(value);
    if (!on) return bad("on or off");
    return Change{[on = *on](DeviceImage& image) { image.smoothing = on ? 1 : 0; }, false, "smoothing"};
  }
  if (key == "button3" || key == "button4" || key == "button5") {
    std::optional<ButtonChoice> choice = ParseButtonFunction(value, error);
    if (!choice) return std::nullopt;
    int number = key.back() - '0';
    return Change{[number, c = *choice](DeviceImage& image) {
      ButtonBinding binding;
      StoreChoice(number, c, binding);
      // The function's bytes only: the record's reserved bytes and marker
      // stay as the mouse holds them.
      const BindingRecord encoded = EncodeBinding(binding);
      BindingRecord& record = image.buttons[number - 1];
      record.type = encoded.type;
      record.code = encoded.code;
      record.extra = encoded.extra;
    }, false, key};
  }
  error = "unknown setting '" + key + "' (cpi1-4, level1-4, colour1-4, lift, smoothing, button3-5)";
  return std::nullopt;
}

ConfigBlock ApplyChanges(const ConfigBlock& block, const std::vector<Change>& changes, std::string& refused) {
  const DeviceImage before = UnpackBlock(block);
  DeviceImage after = before;
  bool switchesLevelOff = false;
  for (const Change& change : changes) {
    change.apply(after);
    switchesLevelOff = switchesLevelOff || change.switchesLevelOff;
  }
  std::array<uint32_t, kCpiLevels> levels{};
  for (size_t i = 0; i < levels.size(); ++i) levels[i] = after.cpi[i].disabled;
  // A block that has no level in use already is the mouse's own business;
  // only a command that switches the last one off is refused.
  if (switchesLevelOff && !AnyLevelInUse(levels)) {
    refused = "at least one CPI level must stay on";
    return block;
  }
  // The layout's bytes round-trip through the image unchanged, so the bytes
  // that differ between the two packings are exactly those of the changed
  // fields.
  const ConfigBlock packedBefore = PackBlock(before);
  const ConfigBlock packedAfter = PackBlock(after);
  ConfigBlock changed = block;
  for (size_t i = 0; i < changed.size(); ++i)
    if (packedBefore[i] != packedAfter[i]) changed[i] = packedAfter[i];
  return changed;
}

std::optional<std::string> CheckProfileForMouse(const ProfileRecord& profile) {
  const DeviceModel& model = KorvidModel();
  const auto badCpi = [&](int value) { return value < model.cpiMin || value > model.cpiMax || value % model.cpiStep != 0; };
  for (int i = 0; i < kCpiLevels; ++i) {
    const CpiValue& cpi = profile.cpi[static_cast<size_t>(i)];
    for (auto [axis, value] : {std::pair<const char*, int>{"", cpi.x}, {" Y", cpi.y}}) {
      if (badCpi(value))
        return "cpi" + std::to_string(i + 1) + axis + " is " + std::to_string(value) +
               "; expected 50 to 16000 in steps of 50";
    }
  }
  for (int i = 0; i < kCpiLevels; ++i) {
    const CpiValue& cpi = profile.cpi[static_cast<size_t>(i)];
    const std::string level = std::to_string(i + 1);
    if (cpi.y != cpi.x)
      return "cpi" + level + " Y is " + std::to_string(cpi.y) + " and X " + std::to_string(cpi.x) +
             "; the mouse's levels have one CPI for both";
    const uint32_t switchValue = profile.cpiLevelDisabled[static_cast<size_t>(i)];
    if (!LevelSwitchFromRecord(switchValue))
      return "level" + level + " is the unknown switch value " + std::to_string(switchValue) + "; expected on or off";
  }
  if (!AnyLevelInUse(profile.cpiLevelDisabled)) return std::string("no CPI level is in use (level1-4 are all off)");
  if (profile.smoothing > 1)
    return "smoothing is the unknown value " + std::to_string(profile.smoothing) + "; expected on (1) or off (0)";
  if (profile.liftOffDistance != kLiftOff2mm && profile.liftOffDistance != kLiftOff3mm)
    return "lift is the unknown code " + std::to_string(profile.liftOffDistance) + "; expected 2mm (6) or 3mm (11)";
  return std::nullopt;
}

}  // namespace korvidctl
