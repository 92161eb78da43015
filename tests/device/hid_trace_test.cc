#include "device/hid_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/commands.h"
#include "device/error_codes.h"
#include "device/link.h"
#include "tests/device/fake_hid.h"

namespace korvid {
namespace {

using testing::FailWith;
using testing::FakeInterface;
using testing::FakePort;
using testing::ReplyWithStatus;
using testing::Succeed;

FakeInterface Config() { return testing::MouseConfigInterface(); }

// A link over a tracing port over the scripted fake. The clock advances
// 2 ms at every reading, so that starts and durations are known.
class TracingPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto fake = std::make_unique<FakePort>();
    fake_ = fake.get();
    port_ = MakeTracingPort(
        std::move(fake), [this](const HidEvent& event) { events_.push_back(event); },
        [this] { return now_ += 2; });
    link_.port = port_.get();
  }

  FakePort* fake_ = nullptr;
  std::unique_ptr<HidPort> port_;
  LinkState link_;
  std::vector<HidEvent> events_;
  double now_ = 0;
};

TEST_F(TracingPortTest, ReportsEveryCallOfAStatusQueryAndPassesItOnUnchanged) {
  FakeInterface broken = Config();
  broken.path = "held-elsewhere";
  broken.openable = false;
  fake_->interfaces = {broken, Config()};
  ASSERT_EQ(testing::OpenMouseConfig(link_), 1);
  fake_->setScript = {Succeed()};
  auto reply = ReplyWithStatus(kStatusReady);
  reply.reply[kReplyStatusValueByte] = 0x5A;
  fake_->getScript = {reply};
  uint8_t status = 0;
  ASSERT_EQ(QueryStatus(link_, status), kCommandOk);
  EXPECT_EQ(status, 0x5A);
  // The fake saw exactly what it would have seen without the tracing port.
  EXPECT_EQ(fake_->log, (std::vector<std::string>{"enumerate", "describe held-elsewhere", "open held-elsewhere",
                                                   "describe config", "open config", "set 64", "sleep 50",
                                                   "get 64"}));

  ASSERT_EQ(events_.size(), 6u);
  EXPECT_EQ(events_[0].kind, HidEventKind::kEnumerate);
  EXPECT_EQ(events_[0].count, 2u);
  EXPECT_EQ(events_[1].kind, HidEventKind::kOpen);
  EXPECT_EQ(events_[1].path, "held-elsewhere");
  EXPECT_FALSE(events_[1].ok);
  EXPECT_EQ(events_[1].error, kErrorSharingViolation);
  EXPECT_TRUE(events_[2].ok);
  const HidEvent& sent = events_[3];
  EXPECT_EQ(sent.kind, HidEventKind::kSetFeature);
  ASSERT_EQ(sent.data.size(), 64u);
  EXPECT_EQ(sent.data[0], kShortReportId);
  EXPECT_EQ(sent.data[kReportCommandByte], kCmdQueryStatus);
  EXPECT_EQ(events_[4].kind, HidEventKind::kSleep);
  EXPECT_EQ(events_[4].count, kQueryStatusPauseMs);
  const HidEvent& received = events_[5];
  EXPECT_EQ(received.kind, HidEventKind::kGetFeature);
  EXPECT_EQ(received.data, reply.reply);
  // Each call reads the clock once before and once after.
  EXPECT_DOUBLE_EQ(sent.durationMs, 2);
  EXPECT_LT(sent.startMs, events_[4].startMs);
  EXPECT_LT(events_[4].startMs, received.startMs);
}

// A traced korvidctl (--verbose, diag) must meet other programs on the same
// lock and hear why an interface would not open.
TEST_F(TracingPortTest, PassesOnTheLockKeyAndWhyAnOpenFailed) {
  fake_->lockKey = "the mouse";
  EXPECT_EQ(port_->LockKey("config"), "the mouse");
  FakeInterface held = Config();
  held.openable = false;
  held.openError = kErrorAccessDenied;
  fake_->interfaces = {held};
  EXPECT_EQ(port_->Open(held.path), nullptr);
  EXPECT_EQ(port_->LastOpenError(), kErrorAccessDenied);
  HidInterfaceInfo info;
  ASSERT_TRUE(port_->Describe(held.path, info));
  EXPECT_EQ(info.collections, (std::vector<HidCaps>{HidCaps{kConfigUsagePage, kConfigUsage}}));
}

TEST_F(TracingPortTest, FailedReportsCarryTheirErrorAndAShortReplyOnlyItsBytes) {
  fake_->interfaces = {Config()};
  ASSERT_EQ(testing::OpenMouseConfig(link_), 1);
  events_.clear();
  fake_->setScript = {FailWith(kErrorDeviceNotConnected)};
  uint8_t status = 0;
  EXPECT_EQ(QueryStatus(link_, status), kCommandFailed);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_FALSE(events_[0].ok);
  EXPECT_EQ(events_[0].error, kErrorDeviceNotConnected);
  EXPECT_NE(FormatHidEvent(events_[0]).find("failed, error 1167"), std::string::npos) << FormatHidEvent(events_[0]);

  events_.clear();
  fake_->getScript = {testing::ShortReply(10)};
  uint8_t buffer[64] = {kShortReportId};
  link_.handle->GetFeature(buffer, sizeof buffer);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_TRUE(events_[0].ok);
  EXPECT_EQ(events_[0].data.size(), 10u);
  EXPECT_EQ(events_[0].count, 64u);
}

TEST(FormatHidEvent, OneReadableLinePerKind) {
  HidEvent set;
  set.kind = HidEventKind::kSetFeature;
  set.count = 64;
  set.data.assign(64, 0);
  set.data[0] = 0xA1;
  set.data[1] = 0x07;
  set.startMs = 12.34;
  set.durationMs = 0.5;
  HidEvent get = set;
  get.kind = HidEventKind::kGetFeature;
  get.data.assign(3, 0xA1);
  HidEvent failedGet = get;
  failedGet.ok = false;
  failedGet.error = 87;
  HidEvent pause;
  pause.kind = HidEventKind::kSleep;
  pause.count = 80;
  HidEvent open;
  open.kind = HidEventKind::kOpen;
  open.path = "\\\\?\\HID#VID_31C5&PID_2716";
  open.ok = false;
  const struct {
    HidEvent event;
    std::string line;
  } cases[] = {
      {set, "+   12.3 ms  SET A1 len 64: A1 07 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ... "
            "-> ok (0.5 ms)"},
      {get, "+   12.3 ms  GET len 64 -> 3 bytes: A1 A1 A1 (0.5 ms)"},
      {failedGet, "+   12.3 ms  GET len 64 -> failed, error 87 (0.5 ms)"},
      {pause, "+    0.0 ms  pause 80 ms (0.0 ms)"},
      {open, "+    0.0 ms  open \\\\?\\HID#VID_31C5&PID_2716 -> failed (0.0 ms)"},
  };
  for (const auto& [event, line] : cases) EXPECT_EQ(FormatHidEvent(event), line);
}

}  // namespace
}  // namespace korvid
