#include "app/connection_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

using Kind = ConnectionStep::Kind;

// The reads queued so far: tickets 1, 2, ... in order.
struct Reads {
  uint64_t last = 0;
};

// One notification or read result: 'A' arrival, 'R' removal, 'q' a read
// queued for the discovery due, 'F' the awaited read found the mouse, 'N'
// it did not ('F' and 'N' queue the read first when none is awaited), 'L'
// the first read ever queued ends late, having found the mouse.
ConnectionStep Feed(ConnectionState& state, Reads& reads, char event) {
  switch (event) {
    case 'A': return OnMouseArrival(state);
    case 'R': return OnMouseRemoval(state);
    case 'q': AwaitRead(state, ++reads.last); return {};
    case 'F':
    case 'N':
      if (state.awaitedRead == 0) AwaitRead(state, ++reads.last);
      return OnMouseRead(state, state.awaitedRead, event == 'F');
    case 'L': return OnMouseRead(state, 1, true);
  }
  ADD_FAILURE() << "unknown event " << event;
  return {};
}

constexpr ConnectionStep kNothing{};
constexpr ConnectionStep kSettle{Kind::kDiscoverLater, kArrivalSettleMs};
constexpr ConnectionStep kRetry{Kind::kDiscoverLater, kDiscoveryRetryMs};
constexpr ConnectionStep kConnected{Kind::kShowConnected, 0};
constexpr ConnectionStep kNoMouse{Kind::kShowNoMouse, 0};

// How the program starts: 'Y' with the mouse found, 'n' without it, 'S'
// with its read (ticket 1) still running.
struct Case {
  const char* what;
  char start;
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
      {"plugged in: settle, then shown", 'n', "AF", {kSettle, kConnected}, ConnectionPhase::kConnected},
      {"each interface's arrival: only the first acts", 'n', "AAAFA",
       {kSettle, kNothing, kNothing, kConnected, kNothing}, ConnectionPhase::kConnected},
      {"each interface's removal: only the first acts", 'Y', "RRR", {kNoMouse, kNothing, kNothing},
       ConnectionPhase::kNoMouse},
      {"interface late: retried until found", 'n', "ANNNF", {kSettle, kRetry, kRetry, kRetry, kConnected},
       ConnectionPhase::kConnected},
      {"interface never ready: back to no mouse", 'n', "A" + nineFailures,
       [&] { auto s = retriesThenGiveUp; s.insert(s.begin(), kSettle); return s; }(), ConnectionPhase::kNoMouse},
      {"after giving up, a later plug-in works", 'n', "A" + nineFailures + "RAF", giveUpThenPlugAgain,
       ConnectionPhase::kConnected},
      {"unplugged while the arrival settles", 'n', "ARF", {kSettle, kNoMouse, kNothing},
       ConnectionPhase::kNoMouse},
      {"a discovery nobody waits for", 'Y', "NF", {kNothing, kNothing}, ConnectionPhase::kConnected},
      {"arrival while connected", 'Y', "A", {kNothing}, ConnectionPhase::kConnected},
      {"removal without a mouse", 'n', "R", {kNothing}, ConnectionPhase::kNoMouse},
      {"a read from before an unplug ends after the replug: dropped", 'n', "AqRAqLF",
       {kSettle, kNothing, kNoMouse, kSettle, kNothing, kNothing, kConnected}, ConnectionPhase::kConnected},
      {"a read from before an unplug ends while unplugged: dropped", 'n', "AqRL", {kSettle, kNothing, kNoMouse, kNothing},
       ConnectionPhase::kNoMouse},
      {"start read finds the mouse", 'S', "F", {kConnected}, ConnectionPhase::kConnected},
      {"start read finds none: no mouse, no retries", 'S', "N", {kNoMouse}, ConnectionPhase::kNoMouse},
      {"start read still running when unplugged: its end dropped", 'S', "RL", {kNoMouse, kNothing},
       ConnectionPhase::kNoMouse},
      {"arrival during the start read: a discovery of its own", 'S', "ALF", {kSettle, kNothing, kConnected},
       ConnectionPhase::kConnected},
      {"arrival after the start found none", 'S', "NAF", {kNoMouse, kSettle, kConnected},
       ConnectionPhase::kConnected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reads reads;
    ConnectionState state = c.start == 'S' ? StartingWithRead(++reads.last) : StartingState(c.start == 'Y');
    std::vector<ConnectionStep> steps;
    for (char event : c.events) steps.push_back(Feed(state, reads, event));
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(state.phase, c.end);
  }
}

}  // namespace
}  // namespace korvid
