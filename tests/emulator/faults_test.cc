#include "emulator/faults.h"

#include <gtest/gtest.h>

#include "device/link.h"

namespace korvid::emulator {
namespace {

Fault MakeFault(FaultKind kind, uint32_t code, uint32_t value, uint32_t count,
                std::optional<uint8_t> command = std::nullopt) {
  Fault fault;
  fault.kind = kind;
  fault.code = code;
  fault.value = value;
  fault.count = count;
  fault.command = command;
  return fault;
}

struct GoodLine {
  const char* text;
  Fault fault;
  const char* formatted;
};

TEST(FaultParser, ReadsEveryKindAndWritesItBack) {
  const GoodLine cases[] = {
      {"busy 3", MakeFault(FaultKind::kBusy, 0, 0, 3), "busy 3"},
      {"  busy\t2   # two busy replies", MakeFault(FaultKind::kBusy, 0, 0, 2), "busy 2"},
      {"status 2 1", MakeFault(FaultKind::kStatus, 0, 2, 1), "status 2 1"},
      {"status 0 1", MakeFault(FaultKind::kStatus, 0, 0, 1), "status 0 1"},
      {"short 10 4", MakeFault(FaultKind::kShort, 0, 10, 4), "short 10 4"},
      {"short 0 1", MakeFault(FaultKind::kShort, 0, 0, 1), "short 0 1"},
      {"send-error 87 4", MakeFault(FaultKind::kSendError, 87, 0, 4), "send-error 87 4"},
      {"send-error 21 1 cmd=04", MakeFault(FaultKind::kSendError, 21, 0, 1, 0x04), "send-error 21 1 cmd=04"},
      {"send-error 21 1 cmd=0x8", MakeFault(FaultKind::kSendError, 21, 0, 1, 0x08), "send-error 21 1 cmd=08"},
      {"get-error 1167 2 cmd=a", MakeFault(FaultKind::kGetError, 1167, 0, 2, 0x0A), "get-error 1167 2 cmd=0A"},
      {"error 5", MakeFault(FaultKind::kError, 5, 0, 0), "error 5"},
      {"error 4294967295 cmd=07", MakeFault(FaultKind::kError, 4294967295u, 0, 0, 0x07),
       "error 4294967295 cmd=07"},
      {"busy 1000000\r", MakeFault(FaultKind::kBusy, 0, 0, 1000000), "busy 1000000"},
      {"open-error 32 2", MakeFault(FaultKind::kOpenError, 32, 0, 2), "open-error 32 2"},
      {"delay 5000", MakeFault(FaultKind::kDelay, 0, 5000, 0), "delay 5000"},
      {"delay 1 cmd=04", MakeFault(FaultKind::kDelay, 0, 1, 0, 0x04), "delay 1 cmd=04"},
  };
  for (const GoodLine& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<Fault> fault = ParseFault(c.text);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(*fault, c.fault);
    EXPECT_EQ(FormatFault(*fault), c.formatted);
  }
}

TEST(FaultParser, RejectsMalformedLines) {
  const char* cases[] = {
      "",
      "# only a comment",
      "busy",
      "busy 0",
      "busy -1",
      "busy 1000001",
      "busy 99999999999999999999999",
      "busy 2 3",
      "busy two",
      "busy 2x",
      "Busy 2",
      "send-error 87",
      "send-error 0 1",
      "send-error 4294967296 1",
      "get-error x 1",
      "status 256 1",
      "status 1",
      "short 65536 1",
      "short 10 1 cmd=",
      "short 10 1 cmd=ZZ",
      "short 10 1 cmd=123",
      "short 10 1 cmd=04 extra",
      "short 10 1 command=04",
      "error",
      "error 5 2",
      "error 5 cmd=04 cmd=05",
      "unplug",
      "delay",
      "delay 0",
      "delay 5001",
      "delay 100 2",
      "\x01\xff busy 1",
  };
  for (const char* line : cases) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(ParseFault(line).has_value());
  }
}

TEST(FaultScript, UsesFirstApplicableLineAndCountsItDown) {
  std::vector<FaultLine> lines = ParseFaults(
      "# scenario\r\n"
      "send-error 87 2 cmd=04  # commit fails twice\n"
      "what is this\n"
      "busy 1\n"
      "status 2 1\n");
  bool changed = true;

  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kSet, 0x03, changed), FaultEffect{});
  EXPECT_FALSE(changed);

  FaultEffect sendError;
  sendError.error = 87;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kSet, 0x04, changed), sendError);
  EXPECT_TRUE(changed);
  EXPECT_EQ(SerialiseFaults(lines),
            "# scenario\n"
            "send-error 87 1 cmd=04  # commit fails twice\n"
            "what is this\n"
            "busy 1\n"
            "status 2 1\n");

  FaultEffect busy;
  busy.status = 4;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, std::nullopt, changed), busy);
  FaultEffect otherStatus;
  otherStatus.status = 2;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, 0x07, changed), otherStatus);
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, 0x07, changed), FaultEffect{});
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kSet, 0x04, changed), sendError);
  EXPECT_TRUE(changed);
  EXPECT_FALSE(HasFaults(lines));
  EXPECT_EQ(SerialiseFaults(lines), "# scenario\nwhat is this\n");
}

TEST(FaultScript, PermanentErrorWinsAndIsNeverUsedUp) {
  std::vector<FaultLine> lines = ParseFaults("busy 1\nshort 3 1\nerror 5\n");
  FaultEffect denied;
  denied.error = 5;
  bool changed = true;
  for (FeatureCall call : {FeatureCall::kSet, FeatureCall::kGet, FeatureCall::kGet}) {
    EXPECT_EQ(ConsumeFault(lines, call, 0x03, changed), denied);
    EXPECT_FALSE(changed);
  }
  EXPECT_EQ(SerialiseFaults(lines), "busy 1\nshort 3 1\nerror 5\n");
}

TEST(FaultScript, CommandFilterNeedsThatCommand) {
  std::vector<FaultLine> lines = ParseFaults("get-error 31 1 cmd=07\nshort 5 1\n");
  bool changed = false;
  // A get-feature with no pending reply concerns no command.
  FaultEffect cut;
  cut.replyLength = 5;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, std::nullopt, changed), cut);
  FaultEffect failed;
  failed.error = 31;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kSet, 0x07, changed), FaultEffect{});
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, 0x07, changed), failed);
  EXPECT_TRUE(lines.empty());
}

// A slow mouse is slow whatever else goes wrong: a delay rides on top of the
// call's one fault, is never used up and never stands in for another line.
TEST(FaultScript, DelaySlowsEveryCallOnTopOfItsFault) {
  std::vector<FaultLine> lines = ParseFaults("delay 200\nbusy 1\ndelay 4000 cmd=04\n");
  bool changed = false;
  FaultEffect busyAndSlow;
  busyAndSlow.status = kStatusBusy;
  busyAndSlow.delayMs = 200;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, 0x03, changed), busyAndSlow);
  EXPECT_TRUE(changed);
  FaultEffect slow;
  slow.delayMs = 200;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kGet, 0x03, changed), slow);
  EXPECT_FALSE(changed);
  FaultEffect slowest;
  slowest.delayMs = 4000;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kSet, 0x04, changed), slowest);
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kOpen, std::nullopt, changed), FaultEffect{});
  EXPECT_EQ(SerialiseFaults(lines), "delay 200\ndelay 4000 cmd=04\n");
}

TEST(FaultScript, OpenErrorsActOnOpensOnly) {
  // A permanent error concerns feature reports; an open skips it and takes
  // the open error below it.
  std::vector<FaultLine> lines = ParseFaults("error 5\nbusy 1\nopen-error 32 1\n");
  bool changed = false;
  FaultEffect refused;
  refused.error = 32;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kOpen, std::nullopt, changed), refused);
  EXPECT_TRUE(changed);
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kOpen, std::nullopt, changed), FaultEffect{});
  FaultEffect denied;
  denied.error = 5;
  EXPECT_EQ(ConsumeFault(lines, FeatureCall::kSet, 0x03, changed), denied);
  EXPECT_EQ(SerialiseFaults(lines), "error 5\nbusy 1\n");
}

}  // namespace
}  // namespace korvid::emulator
