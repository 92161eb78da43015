#pragma once

namespace korvid {

// What the pages may ask of the main window about the one profile.
class ProfileCommands {
 public:
  virtual ~ProfileCommands() = default;
  // Stores the pages into the profile, saves it and writes it to the mouse.
  virtual void StartApply() = 0;
  // Puts the profile back to its defaults, shows them and applies them.
  virtual void RestoreDefaultProfile() = 0;
  virtual bool HasActiveProfile() const = 0;
  // A fresh discovery of the mouse; true when it was found.
  virtual bool DiscoverMouse() = 0;
};

}  // namespace korvid
