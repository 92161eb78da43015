// The worker's conversation with a real (or emulated) mouse: the device
// session on a port, and the link to it, both owned here.
#include <memory>

#include "app/device_worker.h"
#include "device/link.h"

namespace korvid {
namespace {

class SessionConversation : public MouseConversation {
 public:
  explicit SessionConversation(std::unique_ptr<HidPort> port) : port_(std::move(port)) { link_.port = port_.get(); }

  SessionOutcome Read(ProfileRecord& profile) override { return ReadMouseProfile(link_, profile); }
  SessionOutcome Apply(const ProfileRecord& profile, const CommitGate& mayCommit) override {
    return ApplyMouseProfile(link_, profile, mayCommit);
  }
  SessionOutcome Discover() override { return FindMouse(link_); }
  void Close() override { CloseConfigInterface(link_); }

 private:
  std::unique_ptr<HidPort> port_;
  LinkState link_;
};

}  // namespace

std::unique_ptr<MouseConversation> MakeSessionConversation(std::unique_ptr<HidPort> port) {
  return std::make_unique<SessionConversation>(std::move(port));
}

}  // namespace korvid
