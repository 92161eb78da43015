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
//
// The reads run on the device worker and end later: each has a ticket, and
// only the result of the read the state waits for is taken. A read that
// ends after a newer removal or arrival is dropped.
namespace korvid {

enum class ConnectionPhase : uint8_t {
  kNoMouse,    // the no-mouse page, the page buttons off
  kStarting,   // the start's read runs; shown as without a mouse until it ends
  kArriving,   // still the no-mouse page; a discovery is due
  kConnected,  // a settings page, the page buttons on
};

struct ConnectionState {
  ConnectionPhase phase = ConnectionPhase::kNoMouse;
  int failedDiscoveries = 0;  // since the arrival
  uint64_t awaitedRead = 0;   // the ticket of the read the state waits for; 0: none
};

// What the window does next.
struct ConnectionStep {
  enum class Kind : uint8_t {
    kNothing,
    kDiscoverLater,   // discover and read after delayMs (then AwaitRead), then report it
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

// A start that already knows whether the mouse is there.
ConnectionState StartingState(bool mouseFound);
// A start whose read (ticket `read`) is still running.
ConnectionState StartingWithRead(uint64_t read);
// A device-change notification naming one of the mouse's interfaces. The
// mouse has several: only the first arrival and the first removal act.
ConnectionStep OnMouseArrival(ConnectionState& state);
ConnectionStep OnMouseRemoval(ConnectionState& state);
// The read a kDiscoverLater asked for has been queued with this ticket.
void AwaitRead(ConnectionState& state, uint64_t read);
// The read with ticket `read` has ended; `found` when it found the mouse.
// Ignored unless it is the read the state waits for.
ConnectionStep OnMouseRead(ConnectionState& state, uint64_t read, bool found);

}  // namespace korvid
