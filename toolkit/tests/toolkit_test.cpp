// The portable core: text, the event gate, the rules for a call that waits
// for another process, and the headless realization's failures.
#include <gtest/gtest.h>

#include "toolkit/call_wait.h"
#include "toolkit/model/model_window.h"
#include "toolkit/string.h"
#include "toolkit/tests/failure_numbers.h"

namespace toolkit {
namespace {

TEST(StringTest, Utf8RoundTripsEveryPlaneAndReplacesWhatIsBroken) {
  const String text = u"A\u00e9\u03a9\u65e5\U0001F600";
  EXPECT_EQ(ToUtf8(text), "A\xc3\xa9\xce\xa9\xe6\x97\xa5\xf0\x9f\x98\x80");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);

  EXPECT_EQ(ToUtf8(String(u"a") + char16_t(0xD800) + u"b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(ToUtf8(String(1, char16_t(0xDC00))), "\xef\xbf\xbd");
  EXPECT_EQ(FromUtf8("x\xff"), u"x\uFFFD");
  EXPECT_EQ(FromUtf8("\xc0\xaf"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(FromUtf8("\xe6\x97"), u"\uFFFD\uFFFD");  // cut short
  EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), String(u"a\0b", 3));
}

TEST(EventGateTest, AReportThatFailsStillEndsTheProgram) {
  bool ended = false;
  EventGate gate([](const std::string&) { throw Failure("no screen to show it on"); },
                 [&] { ended = true; });
  EXPECT_TRUE(gate.Deliver([] { throw Failure("broken"); }));
  EXPECT_TRUE(ended);
  EXPECT_FALSE(gate.Post([] {}));
}

// Each decision with the time until the rules are asked again: at the next
// bound, and a quarter second at most.
TEST(WhileWaitingTest, TheUserWaitsHalfASecondAtMostNobodyThreeAndACloseNotAtAll) {
  using enum WhileWaiting;
  const struct {
    unsigned waited;
    Queued queued;
    WaitDecision decision;
  } cases[] = {
      {0, Queued::kNothing, {kWait, 250}},  {2800, Queued::kNothing, {kWait, 200}},
      {2999, Queued::kNothing, {kWait, 1}}, {3000, Queued::kNothing, {kCancel, 0}},
      {0, Queued::kInput, {kWait, 250}},    {300, Queued::kInput, {kWait, 200}},
      {499, Queued::kInput, {kWait, 1}},    {500, Queued::kInput, {kCancel, 0}},
      {4000, Queued::kInput, {kCancel, 0}}, {0, Queued::kClose, {kEnd, 0}},
      {4000, Queued::kClose, {kEnd, 0}},
  };
  for (const auto& c : cases) {
    const WaitDecision decision = DecideWhileWaiting(c.waited, c.queued);
    EXPECT_EQ(decision, c.decision)
        << c.waited << " ms, queued " << static_cast<int>(c.queued) << ": "
        << static_cast<int>(decision.what) << ", ask again in " << decision.askAgainMs << " ms";
  }
}

TEST(ModelToolkitTest, FailsWithTheSystemsNumbers) {
  model::ModelWindow window({.caption = u"Numbers", .clientWidth = 2000, .clientHeight = 2000});
  testing::CheckFailureNumbers(window);
}

}  // namespace
}  // namespace toolkit
