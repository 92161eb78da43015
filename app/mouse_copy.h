#pragma once
#include <optional>

#include "device/session.h"
#include "profile/device_image.h"
#include "profile/profile_record.h"

// What the window knows of the settings the mouse holds, so that it can
// tell whether the pages differ from them. Blocks are compared as the mouse
// would receive them (ProfileToImage, PackBlock): fields the block does not
// carry (the profile's name, its file) never count as a change.
namespace korvid {

struct MouseCopy {
  // The block last read from the mouse or last written to it and committed;
  // before either, the one the pages were first loaded with.
  ConfigBlock held{};
  // The last block asked for while applies run: the pages that equal it
  // are on their way to the mouse.
  std::optional<ConfigBlock> sending;
  // Sent and committed, but the mouse went before it confirmed: the next
  // read tells whether the mouse holds it.
  std::optional<ConfigBlock> unconfirmed;
};

// What the mouse would receive for `profile`.
ConfigBlock MouseBlockOf(const ProfileRecord& profile);

// The pages (their block) differ from what the mouse holds or is being sent.
bool PagesDiffer(const MouseCopy& copy, const ConfigBlock& pages);

void OnApplyAsked(MouseCopy& copy, const ConfigBlock& sent);
// The applies asked for have ended with `outcome`, the last one's.
void OnAppliesEnded(MouseCopy& copy, const SessionOutcome& outcome);

// What a read found of settings that were sent but not confirmed.
enum class UnconfirmedCheck { kNothingUnconfirmed, kMouseHoldsThem, kMouseLacksThem };
// The mouse was read (`read`, its block); it is what the mouse holds from
// now on. Settles any unconfirmed apply.
UnconfirmedCheck OnMouseRead(MouseCopy& copy, const ConfigBlock& read);

}  // namespace korvid
