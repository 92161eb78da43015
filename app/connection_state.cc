#include "app/connection_state.h"

namespace korvid {

using Kind = ConnectionStep::Kind;

ConnectionState StartingState(bool mouseFound) {
  return {mouseFound ? ConnectionPhase::kConnected : ConnectionPhase::kNoMouse, 0};
}

ConnectionStep OnMouseArrival(ConnectionState& state) {
  if (state.phase != ConnectionPhase::kNoMouse) return {};
  state = {ConnectionPhase::kArriving, 0};
  return {Kind::kDiscoverLater, kArrivalSettleMs};
}

ConnectionStep OnMouseRemoval(ConnectionState& state) {
  if (state.phase == ConnectionPhase::kNoMouse) return {};
  state = {ConnectionPhase::kNoMouse, 0};
  return {Kind::kShowNoMouse, 0};
}

ConnectionStep OnArrivalDiscovery(ConnectionState& state, bool found) {
  if (state.phase != ConnectionPhase::kArriving) return {};
  if (found) {
    state = {ConnectionPhase::kConnected, 0};
    return {Kind::kShowConnected, 0};
  }
  if (++state.failedDiscoveries < kArrivalDiscoveries) return {Kind::kDiscoverLater, kDiscoveryRetryMs};
  state = {ConnectionPhase::kNoMouse, 0};
  return {Kind::kShowNoMouse, 0};
}

}  // namespace korvid
