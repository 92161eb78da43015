#include "app/mouse_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

ConfigBlock BlockWith(uint8_t mark) {
  ConfigBlock block{};
  block[10] = mark;
  return block;
}

SessionOutcome Outcome(SessionResult result, SessionStep step = SessionStep::kNone,
                       SessionDetail detail = SessionDetail::kNone, bool commitSent = false) {
  SessionOutcome outcome;
  outcome.result = result;
  outcome.failedStep = step;
  outcome.detail = detail;
  outcome.commitSent = commitSent;
  return outcome;
}

// The mouse holds block 1 (read), the pages are changed to block 2 and
// applied; how the apply ends decides what the pages are compared with.
TEST(MouseCopy, PagesDifferUntilAnApplyReachesTheMouse) {
  struct Case {
    std::string name;
    SessionOutcome outcome;
    bool differAfter;
    bool unconfirmed;
  };
  const std::vector<Case> cases = {
      {"done", Outcome(SessionResult::kDone), false, false},
      {"no mouse", Outcome(SessionResult::kNoMouse), true, false},
      {"busy", Outcome(SessionResult::kBusy), true, false},
      {"refused", Outcome(SessionResult::kFailed, SessionStep::kWriteBlock, SessionDetail::kRefused), true, false},
      {"gone before the commit", Outcome(SessionResult::kFailed, SessionStep::kWriteBlock, SessionDetail::kMouseGone),
       true, false},
      {"gone after the commit",
       Outcome(SessionResult::kFailed, SessionStep::kCommit, SessionDetail::kMouseGone, true), true, true},
      {"commit reply lost, mouse there",
       Outcome(SessionResult::kFailed, SessionStep::kCommit, SessionDetail::kCommitReplyLost, true), true, false},
  };
  for (const Case& c : cases) {
    MouseCopy copy;
    EXPECT_EQ(OnMouseRead(copy, BlockWith(1)), UnconfirmedCheck::kNothingUnconfirmed) << c.name;
    EXPECT_FALSE(PagesDiffer(copy, BlockWith(1))) << c.name;
    EXPECT_TRUE(PagesDiffer(copy, BlockWith(2))) << c.name;
    OnApplyAsked(copy, BlockWith(2));
    // On their way to the mouse: not shown as unapplied meanwhile.
    EXPECT_FALSE(PagesDiffer(copy, BlockWith(2))) << c.name;
    EXPECT_TRUE(PagesDiffer(copy, BlockWith(1))) << c.name;
    OnAppliesEnded(copy, c.outcome);
    EXPECT_EQ(PagesDiffer(copy, BlockWith(2)), c.differAfter) << c.name;
    EXPECT_EQ(copy.unconfirmed.has_value(), c.unconfirmed) << c.name;
    // Undoing the change after a failure leaves nothing unapplied.
    if (c.differAfter) EXPECT_FALSE(PagesDiffer(copy, BlockWith(1))) << c.name;
  }
}

TEST(MouseCopy, TheReadAtTheReplugTellsWhetherTheMouseHoldsWhatWasSent) {
  const SessionOutcome gone = Outcome(SessionResult::kFailed, SessionStep::kCommit, SessionDetail::kMouseGone, true);
  for (const bool holds : {true, false}) {
    MouseCopy copy;
    OnMouseRead(copy, BlockWith(1));
    OnApplyAsked(copy, BlockWith(2));
    OnAppliesEnded(copy, gone);
    EXPECT_EQ(OnMouseRead(copy, BlockWith(holds ? 2 : 1)),
              holds ? UnconfirmedCheck::kMouseHoldsThem : UnconfirmedCheck::kMouseLacksThem);
    // Told once: the next read has nothing unconfirmed to settle.
    EXPECT_EQ(OnMouseRead(copy, BlockWith(holds ? 2 : 1)), UnconfirmedCheck::kNothingUnconfirmed);
    // Pages still holding what was sent differ only when the mouse lacks it.
    EXPECT_EQ(PagesDiffer(copy, BlockWith(2)), !holds);
  }
}

TEST(MouseCopy, OnlyWhatTheBlockCarriesCounts) {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  ProfileRecord renamed = profile;
  renamed.name = u"Another name";
  EXPECT_EQ(MouseBlockOf(profile), MouseBlockOf(renamed));
  ProfileRecord changed = profile;
  changed.smoothing = profile.smoothing ? 0 : 1;
  EXPECT_NE(MouseBlockOf(profile), MouseBlockOf(changed));
}

}  // namespace
}  // namespace korvid
