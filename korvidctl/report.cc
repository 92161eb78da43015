#include "korvidctl/report.h"

#include <cstdio>
#include <sstream>

#include "buttons/button_functions.h"
#include "profile/device_image.h"
#include "profile/text.h"
#include "sensor/sensor_rules.h"
#include "korvidctl/key_labels.h"
#include "korvidctl/output.h"
#include "korvidctl/settings.h"

namespace korvidctl {

using namespace korvid;

namespace {

struct ButtonView {
  std::optional<std::string> label;  // nothing for a binding no label names
  const ButtonBinding* binding;
};

constexpr int kFirstKeyButton = 3;
// No menu item has it: a choice that keeps it was not named.
constexpr int kUnnamedFunction = -1;

// What the page would show for a binding: a keyboard binding on buttons 3-5
// by its key, anything else by the menu item its function decodes to;
// nothing for a type no menu item means.
std::optional<std::string> DecodedLabel(int number, const ButtonBinding& binding) {
  switch (binding.type) {
    case kBindingMouse:
    case kBindingWheel:
    case kBindingKey:
    case kBindingButton5Default:
    case kBindingDisabled:
      break;
    default:
      return std::nullopt;  // written by other software: no menu item means it
  }
  if (number >= kFirstKeyButton && binding.type == kBindingKey) {
    if (binding.code > 0xFF) return std::nullopt;
    return KeyBindingLabel(static_cast<int>(binding.code), binding.extra);
  }
  const ButtonChoice unnamed{u"", kUnnamedFunction, 0, std::nullopt};
  const ButtonChoice shown = ChoiceFromBinding(number, binding, unnamed);
  if (shown.functionId == kUnnamedFunction || shown.functionId == kFnKeptBinding) return std::nullopt;
  return ToUtf8(shown.label);
}

// The record `set` writes for `label` on button `number`.
std::optional<BindingRecord> RecordSetWrites(int number, const std::string& label) {
  std::string error;
  std::optional<ButtonChoice> choice = ParseButtonFunction(label, error);
  if (!choice) return std::nullopt;
  ButtonBinding binding;
  StoreChoice(number, *choice, binding);
  return EncodeBinding(binding);
}

bool SameFunction(const BindingRecord& record, const ButtonBinding& binding) {
  return record.type == (binding.type & 0xFF) && record.code == (binding.code & 0xFF) && record.extra == binding.extra;
}

// The label `set` reads back as this binding. A binding is named only when
// `set` given that name writes this very function back: any other (an
// unknown code of a known type, say) has no name, so that a label fed back
// to `set` never changes what it stood for.
std::optional<std::string> ButtonLabel(int number, const ButtonBinding& binding) {
  std::optional<std::string> label = DecodedLabel(number, binding);
  if (!label) return std::nullopt;
  std::optional<BindingRecord> written = RecordSetWrites(number, *label);
  if (!written || !SameFunction(*written, binding)) return std::nullopt;
  return label;
}

std::vector<ButtonView> ButtonViews(const ProfileRecord& profile) {
  std::vector<ButtonView> views;
  for (int n = 1; n <= kPageButtons; ++n)
    views.push_back({ButtonLabel(n, profile.buttons[n - 1]), &profile.buttons[n - 1]});
  return views;
}

std::string UnnamedBindingText(const ButtonBinding& binding) {
  char text[96];
  std::snprintf(text, sizeof text, "unnamed binding: type 0x%02X, code 0x%02X, extra 0x%04X",
                static_cast<unsigned>(binding.type), static_cast<unsigned>(binding.code),
                static_cast<unsigned>(binding.extra));
  return text;
}

// Text from a profile file for a terminal (see TerminalSafe).
std::string TerminalText(const std::u16string& text) { return TerminalSafe(ToUtf8(text)); }

bool LevelInUse(uint32_t disabled) { return LevelSwitchFromRecord(disabled) == true; }

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace

std::string LiftOffText(uint8_t code) {
  if (code == kLiftOff2mm) return "2mm";
  if (code == kLiftOff3mm) return "3mm";
  return std::to_string(code);
}

std::string TextReport(const ReportSource& source) {
  const ProfileRecord& p = *source.profile;
  std::ostringstream out;
  if (source.name) out << "Profile:    " << TerminalText(*source.name) << "\n";
  if (source.firmware) out << "Firmware:   " << *source.firmware << "\n";
  out << "CPI levels:\n";
  for (int i = 0; i < 4; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "  %d  %5u cpi  %-6s  %s", i + 1, p.cpi[i].x,
                  LevelInUse(p.cpiLevelDisabled[i]) ? "in use" : "off", ColourText(p.cpiColour[i]).c_str());
    out << line;
    if (p.cpi[i].y != p.cpi[i].x) out << "  (Y " << p.cpi[i].y << " cpi)";
    out << "\n";
  }
  out << "Lift-off:   " << LiftOffText(p.liftOffDistance) << "\n";
  out << "Smoothing:  " << (p.smoothing ? "on" : "off") << "\n";
  out << "Buttons:\n";
  int n = 1;
  for (const ButtonView& view : ButtonViews(p))
    out << "  " << n++ << "  " << (view.label ? *view.label : UnnamedBindingText(*view.binding)) << "\n";
  return out.str();
}

std::string JsonReport(const ReportSource& source) {
  const ProfileRecord& p = *source.profile;
  std::ostringstream out;
  out << "{\n";
  if (source.name) out << "  \"name\": " << JsonString(ToUtf8(*source.name)) << ",\n";
  out << "  \"firmware\": " << (source.firmware ? JsonString(*source.firmware) : "null") << ",\n";
  out << "  \"levels\": [\n";
  for (int i = 0; i < 4; ++i) {
    out << "    {\"cpi\": " << p.cpi[i].x << ", \"cpiY\": " << p.cpi[i].y
        << ", \"enabled\": " << (LevelInUse(p.cpiLevelDisabled[i]) ? "true" : "false")
        << ", \"colour\": " << JsonString(ColourText(p.cpiColour[i])) << "}" << (i < 3 ? "," : "") << "\n";
  }
  out << "  ],\n";
  out << "  \"liftOff\": " << JsonString(LiftOffText(p.liftOffDistance)) << ",\n";
  out << "  \"smoothing\": " << (p.smoothing ? "true" : "false") << ",\n";
  out << "  \"buttons\": [\n";
  std::vector<ButtonView> views = ButtonViews(p);
  for (size_t i = 0; i < views.size(); ++i) {
    const ButtonBinding& b = *views[i].binding;
    out << "    {\"label\": " << (views[i].label ? JsonString(*views[i].label) : "null") << ", \"type\": " << b.type
        << ", \"code\": " << b.code << ", \"extra\": " << b.extra << "}" << (i + 1 < views.size() ? "," : "") << "\n";
  }
  out << "  ]\n}\n";
  return out.str();
}

std::string HexDump(const ConfigBlock& block) {
  std::string out;
  char byte[4];
  for (size_t i = 0; i < block.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%02X", block[i]);
    out += byte;
    out += (i % 16 == 15) ? '\n' : ' ';
  }
  return out;
}

}  // namespace korvidctl
