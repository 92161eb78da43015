// The main window's profile commands: save, apply on the device worker, restore.
#include <filesystem>
#include <memory>
#include <utility>

#include "app/main_dialog.h"
#include "app/messages.h"
#include "device/outcome_reason.h"
#include "device/session.h"
#include "framework/wide_text.h"
#include "profile/profile_file.h"
#include "profile/text.h"
#include "sensor/sensor_rules.h"
#include "support/notice_popup.h"
#include "support/pop_system_message_dlg.h"
#include "widgets/page.h"

namespace korvid {

void CMobrinDlg::StorePagesToProfile() {
  // A page not built yet has nothing the user changed; its values still pass
  // the sensor page's rules, so that a damaged saved profile (the one shown
  // when the mouse could not be read) never reaches the mouse as it is.
  if (heldEdits_) {
    // What the pages showed when their windows went; a page built since
    // started from it.
    profile_ = *heldEdits_;
    heldEdits_.reset();
  }
  ForEachBuiltPage([this](CPage& page) { page.StoreToProfile(profile_); });
  ApplySensorRules(profile_);
}

void CMobrinDlg::StartApply() {
  StorePagesToProfile();
  // The device worker writes a copy: later edits cannot mix into it. While
  // an apply runs, this one waits in place of any other that waits. The
  // mouse is written while the profile is saved here; its commit waits for
  // the save, and a failed save withholds it.
  if (worker_.RequestApply(profile_)) TellPagesApplyProgress(ApplyProgress::kRunning);
  // The new files are written beside the old ones and replace them only when
  // both are complete; a failed save leaves the previous profile in place.
  SaveFailure failure;
  const bool saved = SaveProfileToFolder(profile_, std::filesystem::path(ProfilesFolderPath()), &failure) == 1;
  worker_.SaveEnded(saved);
  if (!saved) {
    const std::wstring text = std::wstring(kProfileNotSaved) + ProfilesFolderPath() + kSaveFailureReason +
                              framework::ToWide(FromUtf8(failure.reason));
    MessageBoxW(GetSafeHwnd(), text.c_str(), kMessageCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  OnApplyAsked(mouseCopy_, MouseBlockOf(profile_));
  CompareWithMouse();
}

void CMobrinDlg::OnAppliesFinished(const SessionOutcome& outcome) {
  const bool done = outcome.result == SessionResult::kDone;
  // A click since the worker posted this has begun another spell, which
  // will report in its turn; its pages already know it runs.
  if (!worker_.ApplyBusy()) {
    TellPagesApplyProgress(done ? ApplyProgress::kSucceeded : ApplyProgress::kFailed);
    OnAppliesEnded(mouseCopy_, outcome);
    CompareWithMouse();
    if (std::exchange(exitAfterApply_, false) && done) {
      EndProgram();
      return;
    }
  }
  ShowApplyOutcome(outcome);
}

void CMobrinDlg::TellPagesApplyProgress(ApplyProgress progress) {
  ForEachBuiltPage([progress](CPage& page) {
    SendMessageW(page.GetSafeHwnd(), kApplyProgressMessage, static_cast<WPARAM>(progress), 0);
  });
}

void CMobrinDlg::ShowApplyOutcome(const SessionOutcome& outcome) {
  // A withheld commit follows a failed save, whose message says so.
  if (outcome.result == SessionResult::kDone || CommitWithheld(outcome)) return;
  // Clicks queued before the message appeared are handled inside its modal
  // loop and may fail the same way: the message already up tells the user.
  if (showingNotice_) return;
  showingNotice_ = true;
  if (MouseNotFound(outcome)) {
    CPopSystemMessageDlg popup(kMessageNoMouse, this);
    popup.DoModal();
  } else {
    CNoticePopup notice(ApplyFailureNotice(outcome), this);
    notice.DoModal();
  }
  showingNotice_ = false;
}

void CMobrinDlg::RestoreDefaultProfile() {
  ResetToDefaultProfile(profile_);
  LoadPagesFromProfile();
  StartApply();
}

}  // namespace korvid
