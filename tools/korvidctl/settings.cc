#include "tools/korvidctl/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "buttons/binding_labels.h"
#include "buttons/key_names.h"
#include "profile/device_model.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"
#include "profile/text.h"
#include "sensor/sensor_rules.h"

namespace korvidctl {

using namespace korvid;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// "PAGE UP" -> "pageup": key names compared without case, blanks or hyphens.
std::string KeyToken(const std::string& text) {
  std::string token;
  for (unsigned char c : Lower(text))
    if (c != ' ' && c != '-' && c != '_') token += static_cast<char>(c);
  return token;
}

const std::map<std::string, int>& KeysByName() {
  static const std::map<std::string, int> keys = [] {
    std::map<std::string, int> map;
    for (int vk = 1; vk <= 255; ++vk) {
      std::string name = KeyToken(ToUtf8(GetKeyName(vk)));
      if (!name.empty() && VirtualKeyHasHidUsage(vk)) map.emplace(name, vk);
    }
    const std::pair<const char*, int> aliases[] = {
        {"plus", 0xBB},   {"minus", 0xBD},    {"backspace", 0x08}, {"escape", 0x1B}, {"return", 0x0D},
        {"insert", 0x2D}, {"delete", 0x2E},   {"pgup", 0x21},      {"pgdn", 0x22},   {"capslock", 0x14},
        {"up", 0x26},     {"down", 0x28},     {"numlock", 0x90},   {"menu", 0x5D},   {"comma", 0xBC},
        {"period", 0xBE}, {"semicolon", 0xBA}, {"slash", 0xBF},     {"backslash", 0xDC},
    };
    for (auto [name, vk] : aliases) map.emplace(name, vk);
    for (int digit = 0; digit <= 9; ++digit) map.emplace("num" + std::to_string(digit), 0x60 + digit);
    return map;
  }();
  return keys;
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
  if (mouse != MouseFunctionsByName().end()) {
    for (const MenuItem& item : ButtonMenu(3))
      if (item.functionId == mouse->second) return ButtonChoice{item.label, item.functionId, 0};
  }
  int modifiers = 0;
  std::optional<int> key;
  size_t start = 0;
  while (start <= value.size()) {
    size_t plus = value.find('+', start);
    std::string part = value.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    std::string token = KeyToken(part);
    auto modifier = ModifiersByName().find(token);
    auto named = KeysByName().find(token);
    std::optional<int> vk;
    if (token.size() == 1 && std::isalnum(static_cast<unsigned char>(token[0])))
      vk = std::toupper(static_cast<unsigned char>(token[0]));
    else if (named != KeysByName().end())
      vk = named->second;
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
    return Change([level, rounded](ProfileRecord& p) { p.cpi[level - 1] = {rounded, rounded}; });
  }
  if (int level = LevelOf(key, "level")) {
    std::optional<bool> on = ParseOnOff(value);
    if (!on) return bad("on or off");
    uint32_t state = LevelRecordValue(*on);
    return Change([level, state](ProfileRecord& p) { p.cpiLevelDisabled[level - 1] = state; });
  }
  if (int level = LevelOf(key, "colour") ? LevelOf(key, "colour") : LevelOf(key, "color")) {
    std::optional<uint32_t> colour = ColourFromText(value);
    if (!colour) return bad("#RRGGBB");
    return Change([level, c = *colour](ProfileRecord& p) { p.cpiColour[level - 1] = c; });
  }
  if (key == "lift") {
    std::string mm = Lower(value);
    if (mm != "2mm" && mm != "3mm") return bad("2mm or 3mm");
    uint8_t code = mm == "2mm" ? kLiftOff2mm : kLiftOff3mm;
    return Change([code](ProfileRecord& p) { p.liftOffDistance = code; });
  }
  if (key == "smoothing") {
    std::optional<bool> on = ParseOnOff(value);
    if (!on) return bad("on or off");
    return Change([on = *on](ProfileRecord& p) { p.smoothing = on ? 1 : 0; });
  }
  if (key == "button3" || key == "button4" || key == "button5") {
    std::optional<ButtonChoice> choice = ParseButtonFunction(value, error);
    if (!choice) return std::nullopt;
    int number = key.back() - '0';
    return Change([number, c = *choice](ProfileRecord& p) { StoreChoice(number, c, p.buttons[number - 1]); });
  }
  error = "unknown setting '" + key + "' (cpi1-4, level1-4, colour1-4, lift, smoothing, button3-5)";
  return std::nullopt;
}

}  // namespace korvidctl
