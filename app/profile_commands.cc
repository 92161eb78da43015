// The main window's profile commands: save, apply on a worker, restore.
#include <filesystem>
#include <memory>

#include "app/apply_lock.h"
#include "app/main_dialog.h"
#include "app/messages.h"
#include "buttons/button_assignment_dlg.h"
#include "device/session.h"
#include "framework/wide_text.h"
#include "profile/profile_file.h"
#include "profile/text.h"
#include "sensor/advanced_settings_dlg.h"
#include "support/pop_system_message_dlg.h"

namespace korvid {

framework::CriticalSection& ApplyLock() {
  static framework::CriticalSection applyLock;
  return applyLock;
}

struct CMobrinDlg::ApplyJob {
  CMobrinDlg* window;
  ProfileRecord profile;  // the worker's own copy: later edits cannot mix in
};

bool CMobrinDlg::SaveCurrentProfile(SaveFailure* failure) {
  // A page not built yet has nothing the user changed.
  if (sensorPage_->GetSafeHwnd()) sensorPage_->StoreToProfile(*activeProfile);
  if (buttonPage_->GetSafeHwnd()) buttonPage_->StoreToProfile(*activeProfile);
  // The new files are written beside the old ones and replace them only when
  // both are complete; a failed save leaves the previous profile in place.
  return SaveProfileToFolder(*currentProfile, std::filesystem::path(ProfilesFolderPath()), failure) == 1;
}

void CMobrinDlg::StartApply() {
  SaveFailure failure;
  if (!SaveCurrentProfile(&failure)) {
    const std::wstring text = std::wstring(kProfileNotSaved) + ProfilesFolderPath() + kSaveFailureReason +
                              framework::ToWide(FromUtf8(failure.reason));
    MessageBoxW(GetSafeHwnd(), text.c_str(), kMessageCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  auto job = std::make_unique<ApplyJob>(ApplyJob{this, *activeProfile});
  ++runningApplies_;
  framework::UniqueHandle thread(CreateThread(nullptr, 0, ApplyThread, job.get(), 0, nullptr));
  if (thread) {
    job.release();  // the worker owns it now
  } else {
    --runningApplies_;
    ShowApplyOutcome(ApplyOutcome::kFailed);
  }
}

DWORD WINAPI CMobrinDlg::ApplyThread(void* parameter) {
  std::unique_ptr<ApplyJob> job(static_cast<ApplyJob*>(parameter));
  CMobrinDlg* window = job->window;
  {
    framework::CriticalSectionLock lock(ApplyLock());
    const ApplyOutcome outcome = window->ApplyToMouse(job->profile);
    // Pop-ups are skinned from images that belong to the UI thread, so the
    // outcome is shown there; the worker keeps the apply lock until the
    // user has closed it.
    if (outcome != ApplyOutcome::kDone) {
      SendMessageW(window->GetSafeHwnd(), kApplyOutcomeMessage, static_cast<WPARAM>(outcome), 0);
    }
  }
  --window->runningApplies_;
  return 0;
}

ApplyOutcome CMobrinDlg::ApplyToMouse(const ProfileRecord& profile) {
  framework::CriticalSectionLock lock(linkLock_);
  return ApplyMouseProfile(link_, profile).result;
}

void CMobrinDlg::ShowApplyOutcome(ApplyOutcome outcome) {
  if (outcome == ApplyOutcome::kNoMouse) {
    CPopSystemMessageDlg popup(kMessageNoMouse, this);
    popup.DoModal();
  } else if (outcome == ApplyOutcome::kFailed) {
    MessageBoxW(GetSafeHwnd(), kApplyFailed, kMessageCaption, MB_OK | MB_ICONERROR);
  } else if (outcome == ApplyOutcome::kBusy) {
    const std::wstring text = std::wstring(kApplyFailed) + L"\n\n" + kMouseBusy;
    MessageBoxW(GetSafeHwnd(), text.c_str(), kMessageCaption, MB_OK | MB_ICONERROR);
  }
}

void CMobrinDlg::RestoreDefaultProfile() {
  ResetToDefaultProfile(*currentProfile);
  activeProfile = currentProfile.get();
  LoadPagesFromProfile();
  StartApply();
}

}  // namespace korvid
