#pragma once
#include <string>

#include "device/session.h"

// The program's messages that tell the user what happened with the mouse,
// and its one question before it ends: a headline (also the pop-up's title),
// a paragraph, and the buttons it answers with. The skinned pop-up that
// shows them is CNoticePopup (support/notice_popup.h).
namespace korvid {

enum class NoticeButtons { kOk, kYesNo, kApplyDiscardCancel };

struct Notice {
  std::wstring headline;
  std::wstring text;
  NoticeButtons buttons = NoticeButtons::kOk;
  bool operator==(const Notice&) const = default;
};

inline constexpr wchar_t kApplyFailed[] = L"Apply Failed";
inline constexpr wchar_t kMouseBusyText[] =
    L"The mouse is busy with another program. Try again when it has finished.";
inline constexpr wchar_t kSentNotConfirmedText[] =
    L"The settings were sent, but the mouse was unplugged before it confirmed. Plug it in again to check.";
// Before the session's reason in a message.
inline constexpr wchar_t kReasonPrefix[] = L"Reason: ";

// What an apply that did not succeed tells, for every outcome but a mouse
// that was simply not there (the no-mouse pop-up says that): busy, refused,
// unplugged after the commit went out, or failed, each with its reason.
Notice ApplyFailureNotice(const SessionOutcome& outcome);
// Another program holds the mouse (whichever layer found it so).
Notice MouseBusyNotice();
// The read at the replug after an unconfirmed apply found that the mouse
// lacks the settings that were sent.
Notice ReplugLacksSettingsNotice();
// Update Firmware found no tool: where it was looked for (the whole path) and
// the downloads page; Yes opens that page.
Notice FirmwareToolMissingNotice(const std::wstring& toolPath, const std::wstring& downloadsUrl);
// The program is to end while the pages hold settings the mouse does not.
Notice UnappliedChangesQuestion();

}  // namespace korvid
