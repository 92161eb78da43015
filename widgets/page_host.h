#pragma once

namespace korvid {

// How far the window's writes to the mouse have got.
enum class ApplyProgress {
  kIdle,       // none running; the last one failed or was reported already
  kRunning,    // a write is running: its buttons are busy
  kCommitted,  // the last write has committed on the mouse
};

// A page that shows the window's writes beside the buttons that start them.
// The window tells every page it has built whenever the progress changes,
// and a page built later the progress at that moment.
class ApplyProgressView {
 public:
  virtual ~ApplyProgressView() = default;
  virtual void ShowApplyProgress(ApplyProgress progress) = 0;
};

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
  virtual bool HasActiveProfile() const = 0;
  // A fresh discovery of the mouse; true when it was found.
  virtual bool DiscoverMouse() = 0;
};

}  // namespace korvid
