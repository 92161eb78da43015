#pragma once
#include <functional>

namespace korvid {

// What a page may ask of the window that holds it: the commands on the one
// profile and a look for the mouse. The main window implements it; pages
// know it only through this interface.
class PageHost {
 public:
  virtual ~PageHost() = default;
  // Stores the pages into the profile, saves it and writes it to the mouse.
  virtual void StartApply() = 0;
  // Puts the profile back to its defaults, shows them and applies them.
  virtual void RestoreDefaultProfile() = 0;
  // Asks for a fresh discovery of the mouse and returns at once; `answer`
  // is called later on the window's thread, with true when the mouse was
  // found. A request made while one is out is answered with it.
  virtual void DiscoverMouse(std::function<void(bool found)> answer) = 0;
};

}  // namespace korvid
