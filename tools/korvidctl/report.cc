#include "tools/korvidctl/report.h"

#include <cstdio>
#include <sstream>

#include "buttons/button_functions.h"
#include "profile/text.h"
#include "sensor/sensor_rules.h"

namespace korvidctl {

using namespace korvid;

namespace {

struct ButtonView {
  std::string label;
  const ButtonBinding* binding;
};

std::vector<ButtonView> ButtonViews(const ProfileRecord& profile) {
  std::vector<ButtonView> views;
  for (int n = 1; n <= kPageButtons; ++n) {
    MenuItem initial = InitialButtonItem(n);
    ButtonChoice fresh{initial.label, initial.functionId, 0};
    ButtonChoice shown = ChoiceFromBinding(n, profile.buttons[n - 1], fresh);
    views.push_back({ToUtf8(shown.label), &profile.buttons[n - 1]});
  }
  return views;
}

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
  if (source.name) out << "Profile:    " << ToUtf8(*source.name) << "\n";
  if (source.firmware) out << "Firmware:   " << *source.firmware << "\n";
  out << "CPI levels:\n";
  for (int i = 0; i < 4; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "  %d  %5u cpi  %-6s  %s\n", i + 1, p.cpi[i].x,
                  LevelInUse(p.cpiLevelDisabled[i]) ? "in use" : "off", ColourText(p.cpiColour[i]).c_str());
    out << line;
  }
  out << "Lift-off:   " << LiftOffText(p.liftOffDistance) << "\n";
  out << "Smoothing:  " << (p.smoothing ? "on" : "off") << "\n";
  out << "Buttons:\n";
  int n = 1;
  for (const ButtonView& view : ButtonViews(p)) out << "  " << n++ << "  " << view.label << "\n";
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
    out << "    {\"cpi\": " << p.cpi[i].x << ", \"enabled\": " << (LevelInUse(p.cpiLevelDisabled[i]) ? "true" : "false")
        << ", \"colour\": " << JsonString(ColourText(p.cpiColour[i])) << "}" << (i < 3 ? "," : "") << "\n";
  }
  out << "  ],\n";
  out << "  \"liftOff\": " << JsonString(LiftOffText(p.liftOffDistance)) << ",\n";
  out << "  \"smoothing\": " << (p.smoothing ? "true" : "false") << ",\n";
  out << "  \"buttons\": [\n";
  std::vector<ButtonView> views = ButtonViews(p);
  for (size_t i = 0; i < views.size(); ++i) {
    const ButtonBinding& b = *views[i].binding;
    out << "    {\"label\": " << JsonString(views[i].label) << ", \"type\": " << b.type << ", \"code\": " << b.code
        << ", \"extra\": " << b.extra << "}" << (i + 1 < views.size() ? "," : "") << "\n";
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
