// Form1's logic and failure policies on the headless toolkit, against the
// model shell window collection, where every failure point can be reached.
#include "closer/form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "closer/shell_windows_model.h"
#include "toolkit/model/model_window.h"

namespace closer {
namespace {

using namespace model;
using toolkit::String;
using toolkit::model::ModelButton;
using toolkit::model::ModelLabel;
using toolkit::model::ModelListBox;
using toolkit::model::ModelWindow;
using Ids = std::vector<int>;
using Lines = std::vector<String>;

// The group of lines of the page titled `title`, at http://title.test/ in
// C:\iexplore.exe, less the lines at the positions given.
Lines Group(const String& title, std::vector<size_t> without = {}) {
  const Lines all = {u"----------------------", title, u"http://" + title + u".test/",
                     u"C:\\iexplore.exe", u"----------------------"};
  Lines lines;
  for (size_t i = 0; i < all.size(); ++i)
    if (std::find(without.begin(), without.end(), i) == without.end()) lines.push_back(all[i]);
  return lines;
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

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
  Lines Log() {
    Lines lines;
    for (int i = 0; i < form.List1.Count(); ++i) lines.push_back(form.List1.Item(i));
    return lines;
  }
};

// What one sweep logs and quits, in which order, and the calls it makes
// (the real collection's folders and windows without a document are passed
// over in the Windows tests).
TEST(Form1Test, SweepLogsEachHtmlWindowAsAGroupThenQuitsIt) {
  struct Case {
    const char* desktop;
    std::vector<ModelWindowState> windows = {};
    std::function<void(ModelShellWindows&, int id, Op op)> during = {};
    Lines log = {};
    Ids quits = {};
    Ids linesAtQuit = {};  // a window's lines are in the log before its quit
    int documents = 0, htmlTests = 0, values = 0;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {.desktop = "two pages among others",
       .windows = {Browser(u"a"), Browser(u"C:", Shows::kOther), Browser(u"b", Shows::kNothing),
                   Browser(u"")},
       .log = Group(u"a") + Group(u""), .quits = {0, 3}, .linesAtQuit = {5, 10},
       .documents = 4, .htmlTests = 3, .values = 6},
      // 0 closes 1 as it quits; 2 goes while it is read; 3 opens 4 meanwhile.
      {.desktop = "windows come and go",
       .windows = {Browser(u"a"), Browser(u"b"), Browser(u"c"), Browser(u"d")},
       .during = [](ModelShellWindows& s, int id, Op op) {
         if (id == 0 && op == kQuit) s.Close(1);
         if (id == 2 && op == kLocationName) s.Close(2);
         if (id == 3 && op == kDocument) s.Open(Browser(u"e"));
       },
       .log = Group(u"a") + Group(u"c", {1, 2, 3}) + Group(u"d") + Group(u"e"),
       .quits = {0, 3, 4}, .linesAtQuit = {5, 7, 12, 17},
       .documents = 4, .htmlTests = 4, .values = 12}};
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
    EXPECT_EQ(std::make_tuple(t.shell.Calls(kCreate), t.shell.Calls(kEnumerate)),
              std::make_tuple(1, 1));
    EXPECT_EQ(std::make_tuple(t.shell.Calls(kDocument), t.shell.Calls(kIsHtml)),
              std::make_tuple(c.documents, c.htmlTests));
    EXPECT_EQ(t.shell.Calls(kLocationName) + t.shell.Calls(kLocationURL) + t.shell.Calls(kFullName),
              c.values);
    EXPECT_EQ(t.form.CurrentBrowser, nullptr);
  }
}

// Each step of the failure list: abandoned silently, and the rest goes on.
TEST(Form1Test, AFailingStepIsSkippedAndTheSweepGoesOn) {
  struct Case {
    const char* what;
    unsigned failing = 0;  // of the first of two pages
    unsigned shellFailing = 0;
    const char* control = nullptr;  // the toolkit call that fails
    Lines log = {};
    Ids quits = {};
  };
  const Lines both = Group(u"a") + Group(u"b");
  // clang-format off
  const std::vector<Case> cases = {
      {.what = "Document", .failing = kDocument, .log = Group(u"b"), .quits = {1}},
      {.what = "HTML test", .failing = kIsHtml, .log = Group(u"b"), .quits = {1}},
      {.what = "LocationName", .failing = kLocationName, .log = Group(u"a", {1}) + Group(u"b"),
       .quits = {0, 1}},
      {.what = "LocationURL", .failing = kLocationURL, .log = Group(u"a", {2}) + Group(u"b"),
       .quits = {0, 1}},
      {.what = "FullName", .failing = kFullName, .log = Group(u"a", {3}) + Group(u"b"),
       .quits = {0, 1}},
      {.what = "Quit", .failing = kQuit, .log = both, .quits = {1}},
      {.what = "append", .control = "List1.AddItem", .quits = {0, 1}},
      {.what = "creation", .shellFailing = kCreate},
      {.what = "enumeration", .shellFailing = kEnumerate},
      {.what = "next window", .shellFailing = kNext},
      {.what = "Timer1", .control = "Timer1.SetEnabled", .log = both, .quits = {0, 1}},
      {.what = "Command3", .control = "Command3.SetEnabled", .log = both, .quits = {0, 1}}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Closer t;
    t.shell.Open(Browser(u"a", Shows::kHtml, c.failing));
    t.shell.Open(Browser(u"b"));
    t.shell.failing = c.shellFailing;
    if (c.control) t.window.Fail(c.control);
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
    EXPECT_EQ(t.shell.Calls(kCreate), c.shellFailing == kCreate ? 2 : 1);
  }
  std::printf("sweep failure points exercised: %zu\n", cases.size());
}

// The shell's process ends and starts again in the middle of a sweep (between
// sweeps, it is done to the real shell in the Windows tests): the dead
// collection is let go, and the next sweep makes a new one.
TEST(Form1Test, AfterTheShellRestartsInASweepTheNextSweepClosesWindowsAgain) {
  Closer t;
  t.shell.Open(Browser(u"a"));
  t.shell.beforeCall = [&](int id, Op op) {
    if (op != kQuit) return;
    t.shell.Close(id);
    if (id == 0) t.shell.Restart();
  };
  ASSERT_TRUE(t.Click("Command1"));
  t.shell.Open(Browser(u"b"));
  ASSERT_TRUE(t.Tick());
  ASSERT_TRUE(t.Tick());
  EXPECT_EQ(t.Log(), Group(u"a") + Group(u"b"));
  EXPECT_EQ(t.shell.Calls(kCreate), 2);
}

// While a sweep runs, a tick is dropped, and clicks and closing wait their
// turn, in the order they came.
TEST(Form1Test, DuringASweepTicksAreDroppedAndClicksWait) {
  Closer t;
  t.shell.Open(Browser(u"a"));
  ASSERT_TRUE(t.Click("Command1"));
  bool held = false;
  t.shell.beforeCall = [&](int, Op op) {
    if (op != kQuit || std::exchange(held, true)) return;
    EXPECT_FALSE(t.Tick());
    EXPECT_TRUE(t.Click("Command3"));
    EXPECT_TRUE(t.Label());
    EXPECT_TRUE(t.window.Close());
    EXPECT_TRUE(t.form.Timer1.Enabled());
  };
  ASSERT_TRUE(t.Tick());
  EXPECT_EQ(t.Log(), Group(u"a") + Group(u"a"));
  EXPECT_FALSE(t.form.Timer1.Enabled());
  EXPECT_EQ(t.launch.opened, Lines{u"https://drabwick.example.org/"});
  EXPECT_TRUE(t.window.Ended());
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
  for (const char16_t c : std::u16string_view(u"\"<>\\^`{|}")) {
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
  // The shell refusing, or an unreadable text, is no failure of the action.
  t.form.Text1.SetText(u"http://a.test/");
  t.launch.fail = true;
  t.Click("Command4");
  t.launch.fail = false;
  t.window.Fail("Text1.GetText");
  t.Click("Command4");
  EXPECT_TRUE(t.launch.opened.empty());
  EXPECT_TRUE(t.window.Reports().empty());
  EXPECT_FALSE(t.window.Ended());
}

// Close, and the handlers without a policy: a failure is reported and ends it.
TEST(Form1Test, CloseAndFailuresOfHandlersWithoutPolicyEndTheProgram) {
  struct Case {
    const char* fault;  // the toolkit call that fails, if any
    std::function<bool(Closer&)> act;
    size_t reports;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {.fault = nullptr, .act = [](Closer& t) { return t.Click("Command2"); }, .reports = 0},
      {.fault = "List1.Clear", .act = [](Closer& t) { return t.Click("Command5"); }, .reports = 1},
      {.fault = "Text1.SetText", .act = [](Closer& t) { return t.Select(0); }, .reports = 1},
      {.fault = "List1.SelectedText", .act = [](Closer& t) { return t.Select(0); }, .reports = 1},
      {.fault = "shell", .act = [](Closer& t) { return t.launch.fail = true, t.Label(); },
       .reports = 1}};
  // clang-format on
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
    EXPECT_EQ(t.shell.Calls(kEnumerate), 1);
  }
}

}  // namespace
}  // namespace closer
