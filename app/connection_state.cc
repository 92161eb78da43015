#include "app/connection_state.h"

namespace korvid {

using Kind = ConnectionStep::Kind;

ConnectionState StartingState(bool mouseFound) {
  return {mouseFound ? ConnectionPhase::kConnected : ConnectionPhase::kNoMouse, 0, 0};
}

ConnectionState StartingWithRead(uint64_t read) { return {ConnectionPhase::kStarting, 0, read}; }

ConnectionStep OnMouseArrival(ConnectionState& state) {
  if (state.phase != ConnectionPhase::kNoMouse && state.phase != ConnectionPhase::kStarting) return {};
  // During the start's read the mouse may have come too late for it: a
  // discovery of its own after the settle.
  state = {ConnectionPhase::kArriving, 0, 0};
  return {Kind::kDiscoverLater, kArrivalSettleMs};
}

ConnectionStep OnMouseRemoval(ConnectionState& state) {
  if (state.phase == ConnectionPhase::kNoMouse) return {};
  state = {ConnectionPhase::kNoMouse, 0, 0};
  return {Kind::kShowNoMouse, 0};
}

void AwaitRead(ConnectionState& state, uint64_t read) { state.awaitedRead = read; }

ConnectionStep OnMouseRead(ConnectionState& state, uint64_t read, bool found) {
  if (read == 0 || read != state.awaitedRead) return {};
  state.awaitedRead = 0;
  if (state.phase != ConnectionPhase::kArriving && state.phase != ConnectionPhase::kStarting) return {};
  if (found) {
    state = {ConnectionPhase::kConnected, 0, 0};
    return {Kind::kShowConnected, 0};
  }
  // Not there at the start: no arrival to wait for.
  if (state.phase == ConnectionPhase::kArriving && ++state.failedDiscoveries < kArrivalDiscoveries) {
    return {Kind::kDiscoverLater, kDiscoveryRetryMs};
  }
  state = {ConnectionPhase::kNoMouse, 0, 0};
  return {Kind::kShowNoMouse, 0};
}

}  // namespace korvid
