#include "support/notices.h"

#include "device/outcome_reason.h"

namespace korvid {
namespace {

// The session's reasons are plain ASCII.
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring WithReason(const std::wstring& text, const SessionOutcome& outcome) {
  return text + L"\n\n" + kReasonPrefix + Widen(OutcomeReason(outcome)) + L".";
}

}  // namespace

Notice MouseBusyNotice() { return {L"Mouse busy", kMouseBusyText}; }

Notice ApplyFailureNotice(const SessionOutcome& outcome) {
  if (MouseHeldElsewhere(outcome)) return MouseBusyNotice();
  if (UnpluggedAfterCommit(outcome)) return {L"Settings not confirmed", kSentNotConfirmedText};
  if (outcome.result == SessionResult::kFailed && outcome.detail == SessionDetail::kRefused) {
    return {L"The mouse refused the settings",
            WithReason(L"The mouse did not take the new settings; it keeps the ones it had.", outcome)};
  }
  if (outcome.result == SessionResult::kFailed && outcome.detail == SessionDetail::kMouseGone) {
    return {kApplyFailed,
            WithReason(L"The mouse was unplugged before the settings were sent; it keeps the ones it had.",
                       outcome)};
  }
  if (outcome.result != SessionResult::kFailed) return {kApplyFailed, WithReason(L"The settings were not sent.", outcome)};
  return {kApplyFailed, WithReason(L"The mouse may not hold the new settings.", outcome)};
}

Notice ReplugLacksSettingsNotice() {
  return {L"Settings not in the mouse",
          L"The mouse does not hold the settings that were sent before it was unplugged. The pages still show "
          L"them: press Apply to send them again."};
}

Notice FirmwareToolMissingNotice(const std::wstring& toolPath, const std::wstring& downloadsUrl) {
  return {L"Firmware update tool not found",
          L"It was looked for here:\n" + toolPath +
              L"\n\nThe tool comes with the Korvid software on the downloads page:\n" + downloadsUrl +
              L"\n\nOpen the downloads page now?",
          NoticeButtons::kYesNo};
}

Notice UnappliedChangesQuestion() {
  return {L"Apply your changes?",
          L"The pages hold settings the mouse does not have yet. Apply them to the mouse before the program "
          L"ends, or discard them.",
          NoticeButtons::kApplyDiscardCancel};
}

}  // namespace korvid
