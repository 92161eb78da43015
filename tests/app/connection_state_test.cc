#include "app/connection_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

using Kind = ConnectionStep::Kind;

// One notification or discovery result: 'A' arrival, 'R' removal, 'F' a
// discovery that found the mouse, 'N' one that did not.
ConnectionStep Feed(ConnectionState& state, char event) {
  switch (event) {
    case 'A': return OnMouseArrival(state);
    case 'R': return OnMouseRemoval(state);
    case 'F': return OnArrivalDiscovery(state, true);
    case 'N': return OnArrivalDiscovery(state, false);
  }
  ADD_FAILURE() << "unknown event " << event;
  return {};
}

constexpr ConnectionStep kNothing{};
constexpr ConnectionStep kSettle{Kind::kDiscoverLater, kArrivalSettleMs};
constexpr ConnectionStep kRetry{Kind::kDiscoverLater, kDiscoveryRetryMs};
constexpr ConnectionStep kConnected{Kind::kShowConnected, 0};
constexpr ConnectionStep kNoMouse{Kind::kShowNoMouse, 0};

struct Case {
  const char* what;
  bool foundAtStart;
  std::string events;
  std::vector<ConnectionStep> steps;
  ConnectionPhase end;
};

TEST(ConnectionState, FollowsArrivalsRemovalsAndDiscoveries) {
  const std::string nineFailures(kArrivalDiscoveries, 'N');
  std::vector<ConnectionStep> retriesThenGiveUp(kArrivalDiscoveries - 1, kRetry);
  retriesThenGiveUp.push_back(kNoMouse);
  std::vector<ConnectionStep> giveUpThenPlugAgain = retriesThenGiveUp;
  giveUpThenPlugAgain.insert(giveUpThenPlugAgain.begin(), kSettle);
  for (const ConnectionStep& step : {kNothing, kSettle, kConnected}) giveUpThenPlugAgain.push_back(step);

  const Case cases[] = {
      {"plugged in: settle, then shown", false, "AF", {kSettle, kConnected}, ConnectionPhase::kConnected},
      {"each interface's arrival: only the first acts", false, "AAAFA",
       {kSettle, kNothing, kNothing, kConnected, kNothing}, ConnectionPhase::kConnected},
      {"each interface's removal: only the first acts", true, "RRR", {kNoMouse, kNothing, kNothing},
       ConnectionPhase::kNoMouse},
      {"interface late: retried until found", false, "ANNNF", {kSettle, kRetry, kRetry, kRetry, kConnected},
       ConnectionPhase::kConnected},
      {"interface never ready: back to no mouse", false, "A" + nineFailures,
       [&] { auto s = retriesThenGiveUp; s.insert(s.begin(), kSettle); return s; }(), ConnectionPhase::kNoMouse},
      {"after giving up, a later plug-in works", false, "A" + nineFailures + "RAF", giveUpThenPlugAgain,
       ConnectionPhase::kConnected},
      {"unplugged while the arrival settles", false, "ARF", {kSettle, kNoMouse, kNothing},
       ConnectionPhase::kNoMouse},
      {"a discovery nobody waits for", true, "NF", {kNothing, kNothing}, ConnectionPhase::kConnected},
      {"arrival while connected", true, "A", {kNothing}, ConnectionPhase::kConnected},
      {"removal without a mouse", false, "R", {kNothing}, ConnectionPhase::kNoMouse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConnectionState state = StartingState(c.foundAtStart);
    std::vector<ConnectionStep> steps;
    for (char event : c.events) steps.push_back(Feed(state, event));
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(state.phase, c.end);
  }
}

}  // namespace
}  // namespace korvid
