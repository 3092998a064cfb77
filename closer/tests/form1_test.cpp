// Form1 and its sweep on the headless toolkit model, against the model shell
// window collection.
#include "closer/form1.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "closer/shell_windows_model.h"
#include "toolkit/model/model_window.h"

namespace closer {
namespace {

using model::ModelShellWindows;
using model::ModelWindowState;
using model::Shows;
using toolkit::String;
using toolkit::model::ModelButton;
using toolkit::model::ModelListBox;
using toolkit::model::ModelWindow;
using Lines = std::vector<String>;

struct RecordingLaunch final : ShellLaunch {
  void Open(toolkit::StringView text) override {
    if (fail) throw toolkit::Failure("ShellExecuteW");
    opened.emplace_back(text);
  }
  Lines opened;
  bool fail = false;
};

ModelWindowState Browser(const char16_t* title, Shows shows = Shows::kHtml, unsigned failing = 0) {
  return {title, String(u"http://") + title + u".test/", u"C:\\iexplore.exe", shows, failing};
}

Lines Group(const String& title) {
  return {String(kSeparator), title, u"http://" + title + u".test/", u"C:\\iexplore.exe",
          String(kSeparator)};
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// One running program: the form on a shown model window, over a model desktop.
struct Closer {
  Closer() { window.Load(); }
  ModelShellWindows shell;
  RecordingLaunch launch;
  ModelWindow window{Form1::Design()};
  Form1 form{window, shell, launch};

  bool Click(const char* name) { return window.Get<ModelButton>(name).Click(); }
  bool Tick() { return window.GetTimer("Timer1").Tick(); }
  Lines Log() {
    Lines lines;
    for (int i = 0; i < form.List1.Count(); ++i) lines.push_back(form.List1.Item(i));
    return lines;
  }
};

class Form1Test : public ::testing::Test, public Closer {};

TEST_F(Form1Test, WindowAndControlsStartAsDesigned) {
  const auto& design = window.Design();
  EXPECT_EQ(design.caption, u"Quorrin - Porn Site Closer");
  EXPECT_EQ(std::make_pair(design.clientWidth, design.clientHeight), std::make_pair(6495, 2760));
  EXPECT_TRUE(design.minButton);
  EXPECT_FALSE(design.maxButton);
  EXPECT_EQ(design.placement, toolkit::Placement::kCenterScreen);
  EXPECT_EQ(design.iconResource, 1);

  const std::vector<toolkit::ControlDesign> controls = {
      {"Text", u"List of bloqued sites!", {120, 120, 4095, 285}, 0},
      {"Command1", u"Start Closing", {4320, 120, 2055, 375}, 1},
      {"Command2", u"Close", {4320, 2040, 2055, 375}, 2},
      {"List1", u"", {120, 480, 4095, 1590}, 3},
      {"Text1", u"", {120, 2160, 4095, 285}, 4},
      {"Command3", u"Stop Closing", {4320, 600, 2055, 375}, 5},
      {"Command4", u"Open Selected Site", {4320, 1080, 2055, 375}, 6},
      {"Command5", u"Clean Supressed List", {4320, 1560, 2055, 375}, 7},
      {"Label1", u"Made by Drabwick - Click to visite my site", {120, 2520, 6255, 255}, 8}};
  ASSERT_EQ(window.TabOrder().size(), controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const auto& actual = window.TabOrder()[i]->Design();
    SCOPED_TRACE(controls[i].name);
    EXPECT_EQ(actual.name, controls[i].name);
    EXPECT_EQ(actual.caption, controls[i].caption);
    EXPECT_EQ(actual.rect, controls[i].rect);
    EXPECT_EQ(actual.tabIndex, controls[i].tabIndex);
  }

  EXPECT_FALSE(form.Text.Enabled());
  EXPECT_EQ(form.Text.GetText(), u"List of bloqued sites!");
  EXPECT_FALSE(form.Command3.Enabled());
  for (auto* button : {&form.Command1, &form.Command2, &form.Command4, &form.Command5})
    EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(form.Label1.ForeColor(), (toolkit::Color{0, 0, 192}));
  EXPECT_FALSE(form.Timer1.Enabled());
  EXPECT_EQ(form.Timer1.Interval(), 60u);
  EXPECT_EQ(form.List1.Count(), 0);
  EXPECT_EQ(form.Text1.GetText(), u"");
  EXPECT_EQ(form.BrowserWindows, nullptr);
  EXPECT_EQ(shell.Calls().create, 0);  // nothing is swept before the first start
}

// What one sweep logs and quits, and what it costs per window.
TEST_F(Form1Test, SweepLogsEachHtmlWindowAsAGroupThenQuitsIt) {
  struct Case {
    const char* desktop;
    std::vector<ModelWindowState> windows;
    Lines log;
    std::vector<int> quits;
  };
  ModelWindowState untitled = Browser(u"a");
  untitled.locationName.clear();
  Lines untitledGroup = Group(u"a");
  untitledGroup[1].clear();
  const std::vector<Case> cases = {
      {"no window", {}, {}, {}},
      {"folder windows", {Browser(u"C:", Shows::kOther), Browser(u"D:", Shows::kOther)}, {}, {}},
      {"no document yet", {Browser(u"a", Shows::kNothing)}, {}, {}},
      {"empty title", {untitled}, untitledGroup, {0}},
      {"two pages among others",
       {Browser(u"a"), Browser(u"C:", Shows::kOther), Browser(u"b", Shows::kNothing),
        Browser(u"c")},
       Concat({Group(u"a"), Group(u"c")}),
       {0, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desktop);
    Closer t;
    auto& desktop = t.shell;
    for (const auto& state : c.windows) desktop.Open(state);
    // A window's lines are all in the log before it is asked to quit.
    std::vector<int> linesAtQuit;
    desktop.beforeCall = [&](int, model::Op op) {
      if (op == model::kQuit) linesAtQuit.push_back(t.form.List1.Count());
    };

    t.form.SweepBrowserWindows();
    EXPECT_EQ(t.Log(), c.log);
    EXPECT_EQ(desktop.Quits(), c.quits);
    for (size_t i = 0; i < linesAtQuit.size(); ++i) EXPECT_EQ(linesAtQuit[i], 5 * int(i + 1));

    int withDocument = 0, html = 0;
    for (const auto& state : c.windows) {
      withDocument += state.shows != Shows::kNothing;
      html += state.shows == Shows::kHtml;
    }
    const auto& calls = desktop.Calls();
    EXPECT_EQ(calls.create, 1);
    EXPECT_EQ(calls.document, int(c.windows.size()));
    EXPECT_EQ(calls.isHtml, withDocument);
    EXPECT_EQ(calls.locationName + calls.locationURL + calls.fullName, 3 * html);
    EXPECT_EQ(calls.quit, html);
    EXPECT_EQ(t.form.CurrentBrowser, nullptr);
  }
}

// Every step of the failure list: abandoned silently, the rest goes on.
TEST_F(Form1Test, AFailingStepIsSkippedAndTheSweepGoesOn) {
  using namespace model;
  struct Case {
    const char* what;
    std::function<void(ModelShellWindows&, ModelWindow&)> fault;
    unsigned failing;  // of the first window
    Lines log;
    std::vector<int> quits;
  };
  const Lines a = Group(u"a"), b = Group(u"b");
  auto none = [](ModelShellWindows&, ModelWindow&) {};
  const std::vector<Case> cases = {
      {"Document", none, kDocument, b, {1}},
      {"HTML test", none, kIsHtml, b, {1}},
      {"LocationName", none, kLocationName, Concat({{a[0], a[2], a[3], a[4]}, b}), {0, 1}},
      {"LocationURL", none, kLocationURL, Concat({{a[0], a[1], a[3], a[4]}, b}), {0, 1}},
      {"FullName", none, kFullName, Concat({{a[0], a[1], a[2], a[4]}, b}), {0, 1}},
      {"every value",
       none,
       kLocationName | kLocationURL | kFullName,
       Concat({{a[0], a[4]}, b}),
       {0, 1}},
      {"Quit", none, kQuit, Concat({a, b}), {1}},
      {"append", [](auto&, ModelWindow& w) { w.Fail("List1.AddItem"); }, 0, {}, {0, 1}},
      {"creation", [](ModelShellWindows& s, auto&) { s.failing = kCreate; }, 0, {}, {}},
      {"enumeration", [](ModelShellWindows& s, auto&) { s.failing = kEnumerate; }, 0, {}, {}},
      {"next window", [](ModelShellWindows& s, auto&) { s.failing = kNext; }, 0, {}, {}},
      {"Timer1",
       [](auto&, ModelWindow& w) { w.Fail("Timer1.SetEnabled"); },
       0,
       Concat({a, b}),
       {0, 1}},
      {"Command3",
       [](auto&, ModelWindow& w) { w.Fail("Command3.SetEnabled"); },
       0,
       Concat({a, b}),
       {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Closer t;
    auto& desktop = t.shell;
    auto& w = t.window;
    auto& f = t.form;
    desktop.Open(Browser(u"a", Shows::kHtml, c.failing));
    desktop.Open(Browser(u"b"));
    c.fault(desktop, w);

    ASSERT_TRUE(w.Get<ModelButton>("Command1").Click());
    w.Heal("List1.AddItem");
    EXPECT_EQ(t.Log(), c.log);
    EXPECT_EQ(desktop.Quits(), c.quits);
    EXPECT_TRUE(w.Reports().empty());
    EXPECT_FALSE(w.Ended());
    // Only the switch that failed is left undone.
    EXPECT_EQ(f.Timer1.Enabled(), !w.Faulty("Timer1.SetEnabled"));
    EXPECT_EQ(f.Command3.Enabled(), !w.Faulty("Command3.SetEnabled"));
    // A collection that could not be made is tried again by the next sweep,
    // one that exists is never made again.
    const int created = desktop.Calls().create;
    f.SweepBrowserWindows();
    EXPECT_EQ(desktop.Calls().create, created + (desktop.failing & kCreate ? 1 : 0));
  }
}

// The states of closing, step by step: (action, Timer1, Command3, log lines).
TEST_F(Form1Test, StartTickAndStopMoveBetweenTheStates) {
  const int page = shell.Open(Browser(u"a"));
  const int later = shell.Open(Browser(u"b", Shows::kNothing));
  struct Step {
    const char* action;
    std::function<bool()> act;
    bool acted, timer, command3;
    size_t lines;
  };
  const std::vector<Step> steps = {
      {"tick while off", [&] { return Tick(); }, false, false, false, 0},
      {"stop while off", [&] { return Click("Command3"); }, false, false, false, 0},
      {"start", [&] { return Click("Command1"); }, true, true, true, 5},
      {"tick: logged again while it stays", [&] { return Tick(); }, true, true, true, 10},
      {"start while on sweeps at once", [&] { return Click("Command1"); }, true, true, true, 15},
      {"stop", [&] { return Click("Command3"); }, true, false, true, 15},
      {"tick after stop", [&] { return Tick(); }, false, false, true, 15},
      {"stop again changes nothing", [&] { return Click("Command3"); }, true, false, true, 15},
      {"start again", [&] { return Click("Command1"); }, true, true, true, 20},
      {"page closed, the other shows a page",
       [&] {
         shell.Close(page);
         shell.Window(later).shows = Shows::kHtml;
         return Tick();
       },
       true, true, true, 25},
      {"clean does not stop closing", [&] { return Click("Command5"); }, true, true, true, 0},
      {"tick", [&] { return Tick(); }, true, true, true, 5},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.action);
    EXPECT_EQ(step.act(), step.acted);
    EXPECT_EQ(form.Timer1.Enabled(), step.timer);
    EXPECT_EQ(form.Command3.Enabled(), step.command3);
    EXPECT_EQ(Log().size(), step.lines);
  }
  EXPECT_EQ(Log(), Group(u"b"));
  EXPECT_EQ(shell.Quits(), (std::vector<int>{page, page, page, page, later, later}));
  EXPECT_EQ(shell.Calls().create, 1);
  EXPECT_NE(form.BrowserWindows, nullptr);
}

TEST_F(Form1Test, WindowsClosingWhileASweepRunsCostOnlyWhatTheyCanNoLongerAnswer) {
  const int a = shell.Open(Browser(u"a"));
  const int b = shell.Open(Browser(u"b"));
  const int c = shell.Open(Browser(u"c"));
  const int d = shell.Open(Browser(u"d"));
  // a closes b as it quits; c goes away once its document has been read.
  shell.beforeCall = [&](int id, model::Op op) {
    if (id == a && op == model::kQuit) shell.Close(b);
    if (id == c && op == model::kLocationName) shell.Close(c);
  };
  Click("Command1");
  EXPECT_EQ(Log(), Concat({Group(u"a"), {String(kSeparator), String(kSeparator)}, Group(u"d")}));
  EXPECT_EQ(shell.Quits(), (std::vector<int>{a, d}));
  EXPECT_TRUE(window.Reports().empty());
}

TEST_F(Form1Test, ListClickCopiesTheLineAndCleanEmptiesOnlyTheLog) {
  Click("Command5");  // an empty log is no failure
  shell.Open(Browser(u"a"));
  Click("Command1");
  auto& list = window.Get<ModelListBox>("List1");
  ASSERT_TRUE(list.Select(2));
  EXPECT_EQ(form.Text1.GetText(), u"http://a.test/");
  ASSERT_TRUE(list.Select(4));
  EXPECT_EQ(form.Text1.GetText(), kSeparator);
  ASSERT_TRUE(Click("Command5"));
  EXPECT_EQ(form.List1.Count(), 0);
  EXPECT_EQ(form.Text1.GetText(), kSeparator);
  EXPECT_TRUE(window.Reports().empty());
}

// Only web addresses reach the shell: the log holds titles a hostile page chose.
TEST_F(Form1Test, OpenHandsTheShellOnlyAWebAddress) {
  const std::vector<std::pair<String, bool>> texts = {
      {u"http://a.test/", true},
      {u"HTTPS://A.test/x?q=1", true},
      {u"hTtP://\u65e5\u672c.test/", true},
      {u"", false},
      {u"----------------------", false},
      {u"C:\\Program Files\\Internet Explorer\\iexplore.exe", false},
      {u"\\\\evil.test\\share\\setup.exe", false},
      {u"file:///C:/Windows/System32/calc.exe", false},
      {u"javascript:alert(1)", false},
      {u"ftp://a.test/", false},
      {u"https:/a.test", false},
      {u" http://a.test/", false},
      {u"http://a.test/\r\ncalc.exe", false},
      {u"http://a.test/\u007f", false},
      {u"http://a.test/\u0085", false},
      {String(u"http://a.test/\0.exe", 20), false},
  };
  for (const auto& [text, opens] : texts) {
    SCOPED_TRACE(toolkit::ToUtf8(text));
    launch.opened.clear();
    form.Text1.SetText(text);
    ASSERT_TRUE(Click("Command4"));
    EXPECT_EQ(launch.opened, opens ? Lines{text} : Lines{});
  }
  // A hostile title, taken from the log as a user would.
  shell.Open(Browser(u"\\\\evil.test\\share\\setup.exe"));
  Click("Command1");
  launch.opened.clear();
  window.Get<ModelListBox>("List1").Select(1);
  Click("Command4");
  EXPECT_TRUE(launch.opened.empty());
  // The shell refusing, or an unreadable text, is no failure of the action.
  form.Text1.SetText(u"http://a.test/");
  launch.fail = true;
  Click("Command4");
  launch.fail = false;
  window.Fail("Text1.GetText");
  Click("Command4");
  EXPECT_TRUE(launch.opened.empty());
  EXPECT_TRUE(window.Reports().empty());

  // The credit line goes straight to the shell.
  ASSERT_TRUE(window.Get<toolkit::model::ModelLabel>("Label1").Click());
  EXPECT_EQ(launch.opened, Lines{String(kAuthorUrl)});
  EXPECT_TRUE(IsWebAddress(kAuthorUrl));
}

// The handlers without a policy: a failure is reported and ends the program.
TEST_F(Form1Test, CloseAndFailuresOfHandlersWithoutPolicyEndTheProgram) {
  struct Case {
    const char* what;
    const char* fault;
    std::function<bool(Closer&)> act;
    size_t reports;
  };
  const std::vector<Case> cases = {
      {"close", nullptr, [](Closer& t) { return t.Click("Command2"); }, 0},
      {"window closed", nullptr, [](Closer& t) { return t.window.Close(); }, 0},
      {"clean", "List1.Clear", [](Closer& t) { return t.Click("Command5"); }, 1},
      {"list click", "Text1.SetText",
       [](Closer& t) { return t.window.Get<ModelListBox>("List1").Select(0); }, 1},
      {"credit line", "shell",
       [](Closer& t) {
         t.launch.fail = true;
         return t.window.Get<toolkit::model::ModelLabel>("Label1").Click();
       },
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Closer t;
    t.shell.Open(Browser(u"a"));
    t.Click("Command1");
    if (c.fault) t.window.Fail(c.fault);
    ASSERT_TRUE(c.act(t));
    EXPECT_TRUE(t.window.Ended());
    EXPECT_EQ(t.window.Reports().size(), c.reports);
    // No sweep after the end.
    EXPECT_FALSE(t.Tick());
    EXPECT_FALSE(t.form.Timer1.Enabled());
    EXPECT_EQ(t.shell.Calls().enumerate, 1);
  }
}

}  // namespace
}  // namespace closer
