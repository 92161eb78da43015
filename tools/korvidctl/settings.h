#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "buttons/button_functions.h"
#include "profile/profile_record.h"

namespace korvidctl {

// One KEY=VALUE of `set`, parsed and ready to be applied to a profile.
using Change = std::function<void(korvid::ProfileRecord&)>;

// Parses "cpi2=1600", "level3=off", "colour1=#FF0000", "lift=3mm",
// "smoothing=on", "button4=ctrl+shift+a" ... into a change. On a bad
// assignment returns nothing and sets `error`.
std::optional<Change> ParseAssignment(const std::string& assignment, std::string& error);

// A button function: "left", "right", "middle", "back", "forward",
// "scroll-up", "scroll-down", "disable", or a key with modifiers
// ("ctrl+shift+a", "f5", "ctrl", "alt+num 5"); the label is the page's.
std::optional<korvid::ButtonChoice> ParseButtonFunction(const std::string& text, std::string& error);

}  // namespace korvidctl
