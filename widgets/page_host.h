#pragma once
#include <functional>

namespace korvid {

// What a look for the mouse found.
enum class MouseLookup { kFound, kNotFound, kBusy };

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
  // is called later on the window's thread with what was found (kBusy: the
  // mouse is there but another program holds it). A request made while one
  // is out is answered with it.
  virtual void DiscoverMouse(std::function<void(MouseLookup found)> answer) = 0;
  // A page's control has told the page of a change the user made (a choice,
  // a value, a click): the window compares the pages with the mouse again.
  virtual void PageChanged() = 0;
};

}  // namespace korvid
