#include "support/notices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/error_codes.h"
#include "device/outcome_reason.h"

namespace korvid {
namespace {

SessionOutcome Outcome(SessionResult result, SessionDetail detail = SessionDetail::kNone,
                       SessionStep step = SessionStep::kNone, uint32_t error = kErrorSuccess, bool commitSent = false) {
  SessionOutcome outcome;
  outcome.result = result;
  outcome.detail = detail;
  outcome.failedStep = step;
  outcome.error = error;
  outcome.commitSent = commitSent;
  return outcome;
}

// Each way an apply fails has its own message, and names its reason.
TEST(Notices, EachApplyFailureSaysWhatHappened) {
  struct Case {
    std::string name;
    SessionOutcome outcome;
    std::wstring headline;
    std::wstring textStart;
    std::wstring reason;  // "" when the text itself is the reason
  };
  const std::vector<Case> cases = {
      {"lock held", Outcome(SessionResult::kBusy), L"Mouse busy", kMouseBusyText, L""},
      {"sharing violation", Outcome(SessionResult::kNoMouse, SessionDetail::kInterfaceHeld), L"Mouse busy",
       kMouseBusyText, L""},
      {"unplugged after the commit",
       Outcome(SessionResult::kFailed, SessionDetail::kMouseGone, SessionStep::kCommit, kErrorDeviceNotConnected, true),
       L"Settings not confirmed",
       L"The settings were sent, but the mouse was unplugged before it confirmed. Plug it in again to check.", L""},
      {"refused",
       Outcome(SessionResult::kFailed, SessionDetail::kRefused, SessionStep::kWriteBlock, 31),
       L"The mouse refused the settings", L"The mouse did not take the new settings",
       L"Reason: the mouse refused the request (configuration write, error 31)."},
      {"unplugged before the commit",
       Outcome(SessionResult::kFailed, SessionDetail::kMouseGone, SessionStep::kWriteBlock, kErrorDeviceNotConnected),
       kApplyFailed, L"The mouse was unplugged before the settings were sent",
       L"Reason: the mouse went away during the command."},
      {"commit not confirmed, mouse there",
       Outcome(SessionResult::kFailed, SessionDetail::kCommitReplyLost, SessionStep::kCommit, kErrorSuccess, true),
       kApplyFailed, L"The mouse may not hold the new settings", L"did not confirm the commit"},
      {"status query failed", Outcome(SessionResult::kFailed, SessionDetail::kNone, SessionStep::kStatus, 121),
       kApplyFailed, L"The mouse may not hold the new settings",
       L"Reason: the mouse did not answer the status query (error 121)."},
      {"permission denied", Outcome(SessionResult::kNoMouse, SessionDetail::kAccessDenied), kApplyFailed,
       L"The settings were not sent", L"permission denied"},
  };
  for (const Case& c : cases) {
    const Notice notice = ApplyFailureNotice(c.outcome);
    EXPECT_EQ(notice.headline, c.headline) << c.name;
    EXPECT_EQ(notice.text.rfind(c.textStart, 0), 0u) << c.name << ": " << std::string(notice.text.begin(), notice.text.end());
    if (c.reason.empty()) {
      EXPECT_EQ(notice.text.find(kReasonPrefix), std::wstring::npos) << c.name;
    } else {
      EXPECT_NE(notice.text.find(c.reason), std::wstring::npos) << c.name;
    }
    EXPECT_EQ(notice.buttons, NoticeButtons::kOk) << c.name;
  }
}

TEST(Notices, OnlyAMouseThatIsNotThereAtAllIsNotFound) {
  EXPECT_TRUE(MouseNotFound(Outcome(SessionResult::kNoMouse)));
  EXPECT_FALSE(MouseNotFound(Outcome(SessionResult::kNoMouse, SessionDetail::kInterfaceHeld)));
  EXPECT_FALSE(MouseNotFound(Outcome(SessionResult::kNoMouse, SessionDetail::kAccessDenied)));
  EXPECT_FALSE(MouseNotFound(Outcome(SessionResult::kBusy)));
}

TEST(Notices, TheFirmwareToolsPathIsShownWhole) {
  const std::wstring path =
      L"C:\\Users\\somebody with a long name\\AppData\\Local\\Programs\\Korvid Configuration\\Korvid Firmware "
      L"Update Tool\\Korvid Firmware Update Tool.exe";
  const Notice notice = FirmwareToolMissingNotice(path, L"https://example.com/downloads");
  EXPECT_NE(notice.text.find(L"\n" + path + L"\n"), std::wstring::npos);
  EXPECT_EQ(notice.buttons, NoticeButtons::kYesNo);
}

}  // namespace
}  // namespace korvid
