#include <gtest/gtest.h>

#include "toolkit/model/model_window.h"
#include "toolkit/tests/sample_form.h"

namespace toolkit::testing {
namespace {

using model::ModelButton;
using model::ModelCheckBox;
using model::ModelLabel;
using model::ModelListBox;
using model::ModelOptionButton;
using model::ModelTextBox;
using model::ModelWindow;

class ModelToolkitTest : public ::testing::Test {
 protected:
  ModelWindow window{SampleForm::Design()};
  SampleForm form{window};
  ModelButton& Button(const char* name) { return window.Get<ModelButton>(name); }
};

TEST_F(ModelToolkitTest, LoadRunsOnceBeforeShowingAndSetsStates) {
  EXPECT_FALSE(window.Shown());
  EXPECT_FALSE(form.First.Selected());
  ASSERT_TRUE(window.Load());
  EXPECT_FALSE(window.Load());
  EXPECT_TRUE(window.Shown());

  EXPECT_TRUE(form.First.Selected());
  EXPECT_FALSE(form.Second.Selected());
  EXPECT_EQ(form.Check.State(), kChecked);
  EXPECT_EQ(form.Picture.BorderStyle(), 0);
  EXPECT_TRUE(form.Picture.AutoSize());
  EXPECT_FALSE(form.Heading.Enabled());
  EXPECT_FALSE(form.Stop.Enabled());
  EXPECT_EQ(form.Link.ForeColor(), (Color{0, 0, 192}));
  EXPECT_FALSE(form.Ticker.Enabled());
  EXPECT_EQ(form.Ticker.Interval(), 60u);
}

TEST_F(ModelToolkitTest, UserActionsRaiseEventsOnlyWhereTheyCan) {
  window.Load();
  auto& timer = window.GetTimer("Ticker");
  EXPECT_FALSE(timer.Tick());            // off
  EXPECT_FALSE(Button("Stop").Click());  // disabled
  ASSERT_TRUE(Button("Go").Click());
  EXPECT_TRUE(form.Stop.Enabled());
  EXPECT_TRUE(timer.Tick());
  EXPECT_TRUE(timer.Tick());
  EXPECT_EQ(form.ticks, 2);
  ASSERT_TRUE(Button("Stop").Click());
  EXPECT_FALSE(timer.Tick());
  EXPECT_EQ(form.ticks, 2);

  auto& list = window.Get<ModelListBox>("List");
  list.AddItem(u"second \u65e5\u672c");
  EXPECT_FALSE(list.Select(5));
  ASSERT_TRUE(list.Select(1));
  EXPECT_EQ(form.Box.GetText(), u"second \u65e5\u672c");
  EXPECT_FALSE(window.Get<ModelTextBox>("Box").Type(u"typed"));  // locked at load
  list.Clear();
  EXPECT_EQ(list.SelectedText(), u"");

  window.Get<ModelOptionButton>("Second").Choose();
  EXPECT_FALSE(form.First.Selected());
  EXPECT_TRUE(form.Second.Selected());
  try {
    form.Check.SetState(3);
    ADD_FAILURE() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.code(), 380);  // "Invalid property value"
  }
  form.Check.SetState(kGrayed);
  window.Get<ModelCheckBox>("Check").Toggle();
  EXPECT_EQ(form.Check.State(), kChecked);
}

TEST_F(ModelToolkitTest, SkipOnFailureAbandonsOnlyTheFailingStep) {
  window.Load();
  ASSERT_TRUE(Button("Skip").Click());
  EXPECT_EQ(form.steps, 2);
  EXPECT_EQ(form.List.Count(), 1);  // the failing step got as far as its append
  EXPECT_TRUE(window.Reports().empty());
  EXPECT_FALSE(window.Ended());

  window.Fail("List.AddItem");
  ASSERT_TRUE(Button("Go").Click());  // no policy: the failed append ends it
  EXPECT_TRUE(window.Ended());
}

TEST_F(ModelToolkitTest, UnhandledFailureIsReportedThenEndsTheProgram) {
  window.Load();
  Button("Go").Click();
  ASSERT_TRUE(window.Get<ModelLabel>("Link").Click());
  EXPECT_EQ(window.Reports(), std::vector<std::string>{"Link failed"});
  EXPECT_TRUE(window.Ended());
  EXPECT_FALSE(window.Shown());
  EXPECT_FALSE(form.Ticker.Enabled());
  EXPECT_FALSE(window.GetTimer("Ticker").Tick());
  EXPECT_FALSE(Button("Go").Click());
  EXPECT_EQ(window.Reports().size(), 1u);
}

TEST_F(ModelToolkitTest, DuringAHandlerTicksAreDroppedAndUserActionsWaitTheirTurn) {
  window.Load();
  Button("Go").Click();
  std::vector<std::string> order;
  form.Stop.onClick = [&] {
    order.push_back("stop");
    form.Ticker.SetEnabled(false);
  };
  form.Link.onClick = [&] { order.push_back("link"); };
  form.pump = [&] {
    order.push_back("pump");
    EXPECT_FALSE(window.GetTimer("Ticker").Tick());
    EXPECT_TRUE(Button("Stop").Click());
    EXPECT_TRUE(window.Get<ModelLabel>("Link").Click());
    EXPECT_TRUE(window.Close());
    order.push_back("pump ends");
  };
  ASSERT_TRUE(Button("Pump").Click());
  EXPECT_EQ(order, (std::vector<std::string>{"pump", "pump ends", "stop", "link"}));
  EXPECT_EQ(form.ticks, 0);
  EXPECT_FALSE(form.Ticker.Enabled());
  EXPECT_TRUE(window.Ended());
  EXPECT_TRUE(window.Reports().empty());
  EXPECT_FALSE(Button("Go").Click());
}

TEST(EventGateTest, AReportThatFailsStillEndsTheProgram) {
  bool ended = false;
  EventGate gate([](const std::string&) { throw Failure("no screen to show it on"); },
                 [&] { ended = true; });
  EXPECT_TRUE(gate.Deliver([] { throw Failure("broken"); }));
  EXPECT_TRUE(ended);
  EXPECT_FALSE(gate.Post([] {}));
}

}  // namespace
}  // namespace toolkit::testing
