#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "buttons/button_functions.h"
#include "profile/device_image.h"
#include "profile/profile_record.h"

namespace korvidctl {

// One KEY=VALUE of `set`, parsed: what it does to the mouse's block, field
// by field. Only the fields it names change.
struct Change {
  std::function<void(korvid::DeviceImage&)> apply;
  bool switchesLevelOff = false;  // "levelN=off"
  std::string field;              // the setting it changes: "cpi1", "colour2", "button3", ...
};

// Parses "cpi2=1600", "level3=off", "colour1=#FF0000", "lift=3mm",
// "smoothing=on", "button4=ctrl+shift+a" ... into a change. On a bad
// assignment returns nothing and sets `error`.
std::optional<Change> ParseAssignment(const std::string& assignment, std::string& error);

// A button function: "left", "right", "middle", "back", "forward",
// "scroll-up", "scroll-down", "disable", a label of the button page's menu,
// or a key with modifiers ("ctrl+shift+a", "f5", "ctrl", "alt+num 5",
// "backspace"); the label is the page's.
std::optional<korvid::ButtonChoice> ParseButtonFunction(const std::string& text, std::string& error);

// The block with the changes made: only the bytes of the fields the changes
// name are written; everything else stays exactly as read (bindings of
// unknown types, a Y CPI that differs from X, the seventh binding record,
// bytes no field covers). `refused` is set when the changes would switch
// off the last CPI level in use; the block is then returned unchanged.
korvid::ConfigBlock ApplyChanges(const korvid::ConfigBlock& block, const std::vector<Change>& changes,
                                 std::string& refused);

// The checks `apply` makes on a profile file before it touches the mouse:
// every CPI from 50 to 16000 in steps of 50 with Y equal to X, every level
// switch on or off with at least one level in use, a known lift-off code,
// smoothing on or off. Nothing when the profile passes, else the reason
// naming the field.
std::optional<std::string> CheckProfileForMouse(const korvid::ProfileRecord& profile);

}  // namespace korvidctl
