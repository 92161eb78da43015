#pragma once
#include <cstdint>

// What the main window shows of the mouse's connection, kept as a state of
// its own rather than read from the windows (a hidden window's pages are
// never visible), and what the window does when the mouse arrives or goes.
//
// An arrival is acted on after a settle time, with a fresh discovery and
// read; a discovery that fails (the interface not ready yet) is tried again
// for a few seconds, and when it never succeeds the window falls back to
// the no-mouse state, so that a later arrival is acted on again.
namespace korvid {

enum class ConnectionPhase : uint8_t {
  kNoMouse,    // the no-mouse page, the page buttons off
  kArriving,   // still the no-mouse page; a discovery is due
  kConnected,  // a settings page, the page buttons on
};

struct ConnectionState {
  ConnectionPhase phase = ConnectionPhase::kNoMouse;
  int failedDiscoveries = 0;  // since the arrival
};

// What the window does next.
struct ConnectionStep {
  enum class Kind : uint8_t {
    kNothing,
    kDiscoverLater,   // discover and read after delayMs, then report it
    kShowConnected,   // enable the page buttons, show the button page
    kShowNoMouse,     // drop any due discovery, show the no-mouse page, close the interface
  };
  Kind kind = Kind::kNothing;
  uint32_t delayMs = 0;
  bool operator==(const ConnectionStep&) const = default;
};

inline constexpr uint32_t kArrivalSettleMs = 900;
inline constexpr uint32_t kDiscoveryRetryMs = 500;
// Discoveries after an arrival before the window gives up: the first after
// the settle, the others kDiscoveryRetryMs apart (about five seconds in all).
inline constexpr int kArrivalDiscoveries = 9;

ConnectionState StartingState(bool mouseFound);
// A device-change notification naming one of the mouse's interfaces. The
// mouse has several: only the first arrival and the first removal act.
ConnectionStep OnMouseArrival(ConnectionState& state);
ConnectionStep OnMouseRemoval(ConnectionState& state);
// The discovery a kDiscoverLater asked for has ended; `found` when it found
// the mouse. Ignored unless an arrival waits for it.
ConnectionStep OnArrivalDiscovery(ConnectionState& state, bool found);

}  // namespace korvid
