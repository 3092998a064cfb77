// Form1 and its sweep on the headless toolkit model, against the model shell
// window collection.
#include "closer/form1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "closer/shell_windows_model.h"
#include "closer/tests/log_lines.h"
#include "toolkit/model/model_window.h"

namespace closer {
namespace {

using namespace model;
using namespace testing;
using toolkit::String;
using toolkit::model::ModelButton;
using toolkit::model::ModelLabel;
using toolkit::model::ModelListBox;
using toolkit::model::ModelWindow;
using Ids = std::vector<int>;

struct RecordingLaunch final : ShellLaunch {
  void Open(toolkit::StringView text) override {
    if (fail) throw toolkit::Failure("ShellExecuteW");
    opened.emplace_back(text);
  }
  Lines opened;
  bool fail = false;
};

ModelWindowState Browser(const String& title, Shows shows = Shows::kHtml, unsigned failing = 0) {
  return {title, u"http://" + title + u".test/", u"C:\\iexplore.exe", shows, failing};
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
  bool Label() { return window.Get<ModelLabel>("Label1").Click(); }
  bool Select(int line) { return window.Get<ModelListBox>("List1").Select(line); }
  Lines Log() { return testing::Log(form); }
};

TEST(Form1Test, WindowAndControlsStartAsDesigned) {
  Closer t;
  const auto& design = t.window.Design();
  EXPECT_EQ(design.caption, u"Quorrin - Porn Site Closer");
  EXPECT_EQ(std::make_pair(design.clientWidth, design.clientHeight), std::make_pair(6495, 2760));
  EXPECT_TRUE(design.minButton && !design.maxButton);
  EXPECT_EQ(design.placement, toolkit::Placement::kCenterScreen);
  EXPECT_EQ(design.iconResource, 1);

  // Where each control stands is checked on the real window, from outside.
  ASSERT_EQ(t.window.TabOrder().size(), 9u);
  EXPECT_FALSE(t.form.Text.Enabled());
  EXPECT_FALSE(t.form.Command3.Enabled());
  for (auto* button : {&t.form.Command1, &t.form.Command2, &t.form.Command4, &t.form.Command5})
    EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(t.form.Label1.ForeColor(), (toolkit::Color{0, 0, 192}));
  EXPECT_FALSE(t.form.Timer1.Enabled());
  EXPECT_EQ(t.form.Timer1.Interval(), 60u);
  EXPECT_EQ(t.shell.Calls().create, 0);  // nothing is swept before the first start
}

const String kHuge(64 * 1024, u'T');
const String kBidi = u"\u202Egnp.exe\u202C \r\n\t\u0007";
const String kHalfPair = String(u"a") + char16_t(0xDC00) + u"b" + char16_t(0xD800);
const String kNul(u"x\0y", 3);

// What one sweep logs and quits, in which order, and what it costs.
TEST(Form1Test, SweepLogsEachHtmlWindowAsAGroupThenQuitsIt) {
  struct Case {
    const char* desktop;
    std::vector<ModelWindowState> windows;
    std::function<void(ModelShellWindows&, int id, Op op)> during;
    Lines log;
    Ids quits;
    Ids linesAtQuit;                   // a window's lines are in the log before its quit
    int documents, htmlTests, values;  // calls made
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"no window", {}, nullptr, {}, {}, {}, 0, 0, 0},
      {"folder windows", {Browser(u"C:", Shows::kOther), Browser(u"D:", Shows::kOther)}, nullptr,
       {}, {}, {}, 2, 2, 0},
      {"no document yet", {Browser(u"a", Shows::kNothing)}, nullptr, {}, {}, {}, 1, 0, 0},
      {"empty title", {Browser(u"")}, nullptr, Group(u""), {0}, {5}, 1, 1, 3},
      // Titles a hostile page chose are logged as they are, each in its line.
      {"hostile titles", {Browser(kHuge), Browser(kBidi), Browser(kHalfPair), Browser(kNul)},
       nullptr, Group(kHuge) + Group(kBidi) + Group(kHalfPair) + Group(u"x\uFFFDy"),
       {0, 1, 2, 3}, {5, 10, 15, 20}, 4, 4, 12},
      {"two pages among others", {Browser(u"a"), Browser(u"C:", Shows::kOther),
       Browser(u"b", Shows::kNothing), Browser(u"c")}, nullptr,
       Group(u"a") + Group(u"c"), {0, 3}, {5, 10}, 4, 3, 6},
      // 0 closes 1 as it quits; 2 goes while it is read; 3 opens 4 meanwhile.
      {"windows come and go", {Browser(u"a"), Browser(u"b"), Browser(u"c"), Browser(u"d")},
       [](ModelShellWindows& s, int id, Op op) {
         if (id == 0 && op == kQuit) s.Close(1);
         if (id == 2 && op == kLocationName) s.Close(2);
         if (id == 3 && op == kDocument) s.Open(Browser(u"e"));
       },
       Group(u"a") + Group(u"c", {1, 2, 3}) + Group(u"d") + Group(u"e"), {0, 3, 4},
       {5, 7, 12, 17}, 4, 4, 12}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desktop);
    Closer t;
    for (const auto& state : c.windows) t.shell.Open(state);
    Ids linesAtQuit;
    t.shell.beforeCall = [&](int id, Op op) {
      if (op == kQuit) linesAtQuit.push_back(t.form.List1.Count());
      if (c.during) c.during(t.shell, id, op);
    };
    t.form.SweepBrowserWindows();
    EXPECT_EQ(t.Log(), c.log);
    EXPECT_EQ(t.shell.Quits(), c.quits);
    EXPECT_EQ(linesAtQuit, c.linesAtQuit);
    const auto& calls = t.shell.Calls();
    EXPECT_EQ(std::tie(calls.create, calls.enumerate), std::make_tuple(1, 1));
    EXPECT_EQ(std::make_tuple(calls.document, calls.isHtml, calls.quit),
              std::make_tuple(c.documents, c.htmlTests, int(c.linesAtQuit.size())));
    EXPECT_EQ(calls.locationName + calls.locationURL + calls.fullName, c.values);
    EXPECT_EQ(t.form.CurrentBrowser, nullptr);
  }
}

// Each step of the failure list: abandoned silently, and the rest goes on.
TEST(Form1Test, AFailingStepIsSkippedAndTheSweepGoesOn) {
  struct Case {
    const char* what;
    std::function<void(Closer&)> fault;
    unsigned failing;  // of the first of two pages
    Lines log;
    Ids quits;
  };
  auto none = [](Closer&) {};
  const Lines both = Group(u"a") + Group(u"b");
  // clang-format off
  const std::vector<Case> cases = {
      {"Document", none, kDocument, Group(u"b"), {1}},
      {"HTML test", none, kIsHtml, Group(u"b"), {1}},
      {"LocationName", none, kLocationName, Group(u"a", {1}) + Group(u"b"), {0, 1}},
      {"LocationURL", none, kLocationURL, Group(u"a", {2}) + Group(u"b"), {0, 1}},
      {"FullName", none, kFullName, Group(u"a", {3}) + Group(u"b"), {0, 1}},
      {"every value", none, kLocationName | kLocationURL | kFullName,
       Group(u"a", {1, 2, 3}) + Group(u"b"), {0, 1}},
      {"Quit", none, kQuit, both, {1}},
      {"append", [](Closer& t) { t.window.Fail("List1.AddItem"); }, 0, {}, {0, 1}},
      {"creation", [](Closer& t) { t.shell.failing = kCreate; }, 0, {}, {}},
      {"enumeration", [](Closer& t) { t.shell.failing = kEnumerate; }, 0, {}, {}},
      {"next window", [](Closer& t) { t.shell.failing = kNext; }, 0, {}, {}},
      {"Timer1", [](Closer& t) { t.window.Fail("Timer1.SetEnabled"); }, 0, both, {0, 1}},
      {"Command3", [](Closer& t) { t.window.Fail("Command3.SetEnabled"); }, 0, both, {0, 1}}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Closer t;
    t.shell.Open(Browser(u"a", Shows::kHtml, c.failing));
    t.shell.Open(Browser(u"b"));
    c.fault(t);
    ASSERT_TRUE(t.Click("Command1"));
    t.window.Heal("List1.AddItem");
    EXPECT_EQ(t.Log(), c.log);
    EXPECT_EQ(t.shell.Quits(), c.quits);
    EXPECT_TRUE(t.window.Reports().empty());
    EXPECT_FALSE(t.window.Ended());
    // Only the switch that failed is left undone.
    EXPECT_EQ(t.form.Timer1.Enabled(), !t.window.Faulty("Timer1.SetEnabled"));
    EXPECT_EQ(t.form.Command3.Enabled(), !t.window.Faulty("Command3.SetEnabled"));
    // A collection that could not be made is tried again by the next sweep;
    // one that exists is never made again.
    t.form.SweepBrowserWindows();
    EXPECT_EQ(t.shell.Calls().create, c.failing == 0 && t.shell.failing == kCreate ? 2 : 1);
  }
  std::printf("sweep failure points exercised: %zu\n", cases.size());
}

// The shell's process ends and starts again, before a sweep or in the middle
// of one: the dead collection is let go, and the next sweep makes a new one.
TEST(Form1Test, AfterTheShellRestartsTheNextSweepClosesWindowsAgain) {
  for (const bool midSweep : {false, true}) {
    SCOPED_TRACE(midSweep ? "in a sweep" : "between sweeps");
    Closer t;
    t.shell.Open(Browser(u"a"));
    t.shell.beforeCall = [&](int id, Op op) {
      if (op != kQuit) return;
      t.shell.Close(id);
      if (midSweep && id == 0) t.shell.Restart();
    };
    ASSERT_TRUE(t.Click("Command1"));
    if (!midSweep) t.shell.Restart();
    t.shell.Open(Browser(u"b"));
    ASSERT_TRUE(t.Tick());
    ASSERT_TRUE(t.Tick());
    EXPECT_EQ(t.Log(), Group(u"a") + Group(u"b"));
    EXPECT_EQ(t.shell.Calls().create, 2);
  }
}

// Closing on and off, step by step, with the log's own actions in between.
TEST(Form1Test, StartTickStopCleanAndListClickMoveThroughTheStates) {
  Closer t;
  const int page = t.shell.Open(Browser(u"a"));
  const int later = t.shell.Open(Browser(u"b", Shows::kNothing));
  struct Step {
    const char* action;
    std::function<bool()> act;
    bool acted, timer, command3;
    size_t lines;
    String text1;
  };
  const String separator = u"----------------------";
  // clang-format off
  const std::vector<Step> steps = {
      {"tick while off", [&] { return t.Tick(); }, false, false, false, 0, u""},
      {"stop while off", [&] { return t.Click("Command3"); }, false, false, false, 0, u""},
      {"clean while empty", [&] { return t.Click("Command5"); }, true, false, false, 0, u""},
      {"start", [&] { return t.Click("Command1"); }, true, true, true, 5, u""},
      {"tick: logged again while it stays", [&] { return t.Tick(); }, true, true, true, 10, u""},
      {"start while on: one more sweep", [&] { return t.Click("Command1"); }, true, true, true, 15,
       u""},
      {"stop", [&] { return t.Click("Command3"); }, true, false, true, 15, u""},
      {"tick after stop", [&] { return t.Tick(); }, false, false, true, 15, u""},
      {"stop again", [&] { return t.Click("Command3"); }, true, false, true, 15, u""},
      {"select an address", [&] { return t.Select(7); }, true, false, true, 15, u"http://a.test/"},
      {"select a separator", [&] { return t.Select(4); }, true, false, true, 15, separator},
      {"start again", [&] { return t.Click("Command1"); }, true, true, true, 20, separator},
      {"clean keeps Text1, closing", [&] { return t.Click("Command5"); }, true, true, true, 0,
       separator},
      {"page gone, the other shows one", [&] {
         t.shell.Close(page);
         t.shell.Window(later).shows = Shows::kHtml;
         return t.Tick();
       }, true, true, true, 5, separator}};
  // clang-format on
  for (const Step& step : steps) {
    SCOPED_TRACE(step.action);
    EXPECT_EQ(step.act(), step.acted);
    EXPECT_EQ(t.form.Timer1.Enabled(), step.timer);
    EXPECT_EQ(t.form.Command3.Enabled(), step.command3);
    EXPECT_EQ(t.Log().size(), step.lines);
    EXPECT_EQ(t.form.Text1.GetText(), step.text1);
  }
  EXPECT_EQ(t.Log(), Group(u"b"));
  EXPECT_EQ(t.shell.Quits(), (Ids{page, page, page, page, later}));
  EXPECT_EQ(t.shell.Calls().create, 1);
  EXPECT_TRUE(t.window.Reports().empty());
}

// Only web addresses reach the shell: the log holds titles a hostile page chose.
TEST(Form1Test, OpenHandsTheShellOnlyAWebAddress) {
  Closer t;
  // clang-format off
  std::vector<std::pair<String, bool>> texts = {
      {u"http://a.test/", true}, {u"HTTPS://user@A.test:8080/x?q=1#f", true},
      {u"hTtP://\u65e5\u672c.test/", true}, {u"", false}, {u"----------------------", false},
      {u"http:", false}, {u"http://", false}, {u"https://:443/", false}, {u"http://@/", false},
      {u"C:\\Program Files\\Internet Explorer\\iexplore.exe", false},
      {u"\\\\evil.test\\share\\setup.exe", false},
      {u"file:///C:/Windows/System32/calc.exe", false}, {u"javascript:alert(1)", false},
      {u" http://a.test/", false}, {u"http://x\" --flag", false}, {u"http://x --flag", false},
      {u"http://a.test/\r\ncalc.exe", false}, {u"http://a.test/\u3000x", false},
      {u"http://a.test/\u00a0x", false}, {u"http://a.test/\u007f", false},
      {u"http://a.test/\u0085", false}, {String(u"http://a.test/\0.exe", 19), false}};
  for (const char16_t c : std::u16string_view(u"<>\\^`{|}")) {
    texts.push_back({u"http://a.test/" + String(1, c), false});
  }
  // clang-format on
  for (const auto& [text, opens] : texts) {
    SCOPED_TRACE(toolkit::ToUtf8(text));
    t.launch.opened.clear();
    t.form.Text1.SetText(text);
    ASSERT_TRUE(t.Click("Command4"));
    EXPECT_EQ(t.launch.opened, opens ? Lines{text} : Lines{});
  }
  // A hostile title, taken from the log as a user would.
  t.shell.Open(Browser(u"\\\\evil.test\\share\\setup.exe"));
  t.Click("Command1");
  t.launch.opened.clear();
  t.Select(1);
  t.Click("Command4");
  // The shell refusing, or an unreadable text, is no failure of the action.
  t.form.Text1.SetText(u"http://a.test/");
  t.launch.fail = true;
  t.Click("Command4");
  t.launch.fail = false;
  t.window.Fail("Text1.GetText");
  t.Click("Command4");
  EXPECT_TRUE(t.launch.opened.empty());
  EXPECT_TRUE(t.window.Reports().empty());

  // The credit line goes straight to the shell.
  ASSERT_TRUE(t.Label());
  EXPECT_EQ(t.launch.opened, Lines{String(kAuthorUrl)});
  EXPECT_TRUE(IsWebAddress(kAuthorUrl));
}

// Close, and the handlers without a policy: a failure is reported and ends it.
TEST(Form1Test, CloseAndFailuresOfHandlersWithoutPolicyEndTheProgram) {
  struct Case {
    const char* fault;
    std::function<bool(Closer&)> act;
    size_t reports;
  };
  const std::vector<Case> cases = {
      {nullptr, [](Closer& t) { return t.Click("Command2"); }, 0},
      {nullptr, [](Closer& t) { return t.window.Close(); }, 0},
      {"List1.Clear", [](Closer& t) { return t.Click("Command5"); }, 1},
      {"Text1.SetText", [](Closer& t) { return t.Select(0); }, 1},
      {"List1.SelectedText", [](Closer& t) { return t.Select(0); }, 1},
      {"shell", [](Closer& t) { return t.launch.fail = true, t.Label(); }, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault ? c.fault : "close");
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
