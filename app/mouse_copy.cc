#include "app/mouse_copy.h"

#include "device/outcome_reason.h"

namespace korvid {

ConfigBlock MouseBlockOf(const ProfileRecord& profile) {
  DeviceImage image{};
  ProfileToImage(profile, image);
  return PackBlock(image);
}

bool PagesDiffer(const MouseCopy& copy, const ConfigBlock& pages) {
  return pages != (copy.sending ? *copy.sending : copy.held);
}

void OnApplyAsked(MouseCopy& copy, const ConfigBlock& sent) { copy.sending = sent; }

void OnAppliesEnded(MouseCopy& copy, const SessionOutcome& outcome) {
  if (!copy.sending) return;
  if (outcome.result == SessionResult::kDone) {
    copy.held = *copy.sending;
    copy.unconfirmed.reset();
  } else if (UnpluggedAfterCommit(outcome)) {
    copy.unconfirmed = copy.sending;
  }
  copy.sending.reset();
}

UnconfirmedCheck OnMouseRead(MouseCopy& copy, const ConfigBlock& read) {
  copy.held = read;
  if (!copy.unconfirmed) return UnconfirmedCheck::kNothingUnconfirmed;
  const bool holds = *copy.unconfirmed == read;
  copy.unconfirmed.reset();
  return holds ? UnconfirmedCheck::kMouseHoldsThem : UnconfirmedCheck::kMouseLacksThem;
}

}  // namespace korvid
