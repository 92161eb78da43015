#pragma once
#include <string>

#include "skin/sheets.h"
#include "widgets/apply_feedback.h"
#include "widgets/page_host.h"
#include "widgets/window_messages.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

struct ProfileRecord;

// What the main window asks of every page about the one profile record: to
// show it, and to hand back what the user changed before a save.
class ProfilePage {
 public:
  // Shows the parts of `profile` the page edits.
  virtual void LoadFromProfile(const ProfileRecord& profile) = 0;
  // Writes what the page edits into `profile`, leaving the rest alone.
  virtual void StoreToProfile(ProfileRecord& profile) = 0;
  // What StoreToProfile would write, with the page's controls left exactly
  // as they are (a field being typed in keeps its text).
  virtual void CopyToProfile(ProfileRecord& profile) { StoreToProfile(profile); }

 protected:
  ~ProfilePage() = default;
};

// Base of the main window's pages: a child dialog that reaches the window
// through its PageHost. Enter and Escape do nothing on a page; a stay-on-top
// request from its combo buttons and menus goes up to the window; the
// window's word on an apply shows as the feedback beside the page's button,
// when it has one, and so does the window's word that the pages differ from
// the mouse (the mark on an Apply button). Every notification a page's
// control sends it is passed on to the window as PageChanged, after the page
// has acted on it. A page that shows nothing of the profile or the mouse
// leaves the ProfilePage calls and ShowFirmwareVersion as they are.
class CPage : public CZebImageDialog, public ProfilePage {
 public:
  CPage(int templateId, framework::CWnd* parent, PageHost& host);

  void OnOK() override {}
  void OnCancel() override {}
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  void LoadFromProfile(const ProfileRecord&) override {}
  void StoreToProfile(ProfileRecord&) override {}
  // The mouse's firmware version as the window reads it.
  virtual void ShowFirmwareVersion(const std::wstring&) {}

  // The mouse went, came back or was reset: a menu of the page that is open
  // closes, and the pop-up of a choice the page runs closes without storing
  // anything, so that nothing chosen for one mouse lands on another.
  void DropPendingChoices();
  // Whether one of the page's messages is being handled further up the
  // stack (a pop-up or a message box it opened runs a loop of its own): the
  // page must not be destroyed before it returns.
  bool HandlingMessage() const { return handling_ > 0; }

 protected:
  PageHost& Host() const { return host_; }
  // The writes to the mouse show beside `button` (see ApplyFeedback): its
  // busy look and the confirmation at `confirmationRect`, cut from `busySheet`;
  // with `marksUnapplied`, also the mark while the pages differ from the mouse.
  void AttachApplyFeedback(CZebButton& button, SkinSheet busySheet, const SkinRect& confirmationRect,
                           bool marksUnapplied = true);
  // Runs `popup` modally as the page's one pop-up of a choice, which
  // DropPendingChoices closes; while one is up no second one opens (-1).
  INT_PTR RunChoicePopup(framework::CDialogEx& popup);

 private:
  PageHost& host_;
  framework::CDialogEx* choicePopup_ = nullptr;
  ApplyFeedback applyFeedback_;
  bool hasApplyFeedback_ = false;
  bool marksUnapplied_ = false;
  int handling_ = 0;
};

}  // namespace korvid
