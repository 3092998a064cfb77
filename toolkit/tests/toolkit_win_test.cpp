// The Win32 realization, checked through the system itself: class names,
// pixel rectangles, styles, states and real message traffic under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/tests/sample_form.h"
#include "toolkit/win32/program_win.h"
#include "toolkit/win32/window_win.h"

namespace toolkit::testing {
namespace {

using win32::Win32Window;

// Dispatches messages for a while, as a modal loop would; remembers WM_QUIT.
bool PumpFor(DWORD milliseconds) {
  bool quit = false;
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
  return quit;
}

std::wstring ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return name;
}

std::wstring TextOf(HWND h) {
  wchar_t text[256] = {};
  GetWindowTextW(h, text, 256);
  return text;
}

RECT ClientRectOf(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class Win32ToolkitTest : public ::testing::Test {
 protected:
  Win32ToolkitTest() {
    form.pump = [] { PumpFor(200); };
    window.LoadAndShow();
    for (HWND h = GetWindow(window.Hwnd(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      children.push_back(h);
    }
  }
  HWND Child(const wchar_t* text) const {
    for (HWND h : children) {
      if (TextOf(h) == text) return h;
    }
    ADD_FAILURE() << "no child with that text";
    return nullptr;
  }

  std::vector<std::string> reports;
  Win32Window window{GetModuleHandleW(nullptr), SampleForm::Design(),
                     [this](const std::string& message) { reports.push_back(message); }};
  SampleForm form{window};
  std::vector<HWND> children;
};

TEST_F(Win32ToolkitTest, WindowAndControlsAreStandardControlsWhereTheDesignPutsThem) {
  ASSERT_EQ(window.Dpi(), 96u);
  RECT client{};
  GetClientRect(window.Hwnd(), &client);
  EXPECT_EQ(client.right, 433);  // 6495 x 2760 twips
  EXPECT_EQ(client.bottom, 184);
  const LONG style = GetWindowLongW(window.Hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(IsWindowVisible(window.Hwnd()));
  EXPECT_EQ(TextOf(window.Hwnd()), L"Sample \u03a9");
  EXPECT_NE(SendMessageW(window.Hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(window.Hwnd(), WM_GETICON, ICON_BIG, 0), 0);

  struct Expected {
    const wchar_t* cls;
    RECT rect;
    const wchar_t* text;
    bool enabled;
    LONG typeBits;  // low style bits that make the kind of control
  };
  const Expected expected[] = {
      {L"Button", {288, 8, 425, 33}, L"Go", true, BS_PUSHBUTTON},
      {L"Button", {288, 40, 425, 65}, L"Stop", false, BS_PUSHBUTTON},
      {L"Button", {288, 72, 425, 97}, L"Skip", true, BS_PUSHBUTTON},
      {L"Button", {288, 104, 425, 129}, L"Pump", true, BS_PUSHBUTTON},
      {L"Edit", {8, 8, 281, 27}, L"Heading", false, ES_LEFT},
      {L"Edit", {8, 144, 281, 163}, L"", true, ES_READONLY},
      {L"ListBox", {8, 32, 281, 138}, L"", true, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT},
      {L"Static", {8, 168, 141, 185}, L"Click me", true, SS_NOTIFY},
      {L"Button", {147, 136, 214, 153}, L"First", true, BS_AUTORADIOBUTTON},
      {L"Button", {213, 136, 280, 153}, L"Second", true, BS_AUTORADIOBUTTON},
      {L"Button", {147, 160, 280, 177}, L"Check", true, BS_3STATE},
      {L"Static", {288, 136, 329, 169}, L"", true, SS_LEFT},
  };
  ASSERT_EQ(children.size(), std::size(expected));
  for (size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(i);
    const HWND h = children[i];
    const Expected& e = expected[i];
    EXPECT_EQ(_wcsicmp(ClassOf(h).c_str(), e.cls), 0);
    const RECT r = ClientRectOf(h);
    EXPECT_EQ(r.left, e.rect.left);
    EXPECT_EQ(r.top, e.rect.top);
    EXPECT_EQ(r.right, e.rect.right);
    EXPECT_EQ(r.bottom, e.rect.bottom);
    EXPECT_EQ(TextOf(h), e.text);
    EXPECT_EQ(IsWindowEnabled(h) != FALSE, e.enabled);
    EXPECT_TRUE(IsWindowVisible(h));
    const LONG bits = GetWindowLongW(h, GWL_STYLE);
    EXPECT_EQ(bits & e.typeBits, e.typeBits);
  }
  EXPECT_FALSE(GetWindowLongW(children[6], GWL_STYLE) & LBS_SORT);
  EXPECT_FALSE(GetWindowLongW(children[11], GWL_STYLE) & WS_BORDER);  // border style 0 at load
  EXPECT_EQ(SendMessageW(Child(L"First"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(Child(L"Check"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetFocus(), Child(L"Go"));

  // Tab order skips what is disabled and what takes no focus; in the
  // option group only the selected button is a stop.
  std::vector<std::wstring> order;
  HWND h = GetFocus();
  for (int i = 0; i < 8; ++i, h = GetNextDlgTabItem(window.Hwnd(), h, FALSE)) {
    order.push_back(TextOf(h));
  }
  EXPECT_EQ(order, (std::vector<std::wstring>{L"Go", L"Skip", L"Pump", L"", L"", L"First", L"Check",
                                              L"Go"}));
  EXPECT_EQ(GetNextDlgTabItem(window.Hwnd(), Child(L"Go"), TRUE), Child(L"Check"));
}

TEST_F(Win32ToolkitTest, UserInputRaisesTheEventsAndTheTimerTicksUntilStopped) {
  form.Ticker.SetInterval(10);
  SendMessageW(Child(L"Go"), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.Ticker.Enabled());
  EXPECT_TRUE(IsWindowEnabled(Child(L"Stop")));
  PumpFor(150);
  EXPECT_GE(form.ticks, 3);
  SendMessageW(Child(L"Stop"), BM_CLICK, 0, 0);
  const int ticks = form.ticks;
  PumpFor(80);
  EXPECT_EQ(form.ticks, ticks);

  // Keyboard selection in the list raises its click.
  HWND list = children[6];
  form.List.AddItem(u"second \u65e5\u672c");
  form.List.AddItem(String(u"nul\0inside", 10));
  EXPECT_EQ(form.List.Count(), 3);
  SetFocus(list);
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);  // first line
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(form.Box.GetText(), u"second \u65e5\u672c");
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(form.Box.GetText(), u"nul\uFFFDinside");

  SendMessageW(Child(L"Second"), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.Second.Selected());
  EXPECT_FALSE(form.First.Selected());
  SendMessageW(Child(L"Check"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.Check.State(), kUnchecked);
  form.Check.SetState(kGrayed);
  EXPECT_EQ(SendMessageW(Child(L"Check"), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  try {
    form.Check.SetState(7);
    ADD_FAILURE() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.code(), 380);  // "Invalid property value"
  }

  // The clickable label shows the hand and paints in its colour.
  HWND link = Child(L"Click me");
  EXPECT_TRUE(SendMessageW(window.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  HDC dc = GetDC(link);
  SendMessageW(window.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(link));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 192));
  ReleaseDC(link, dc);
}

TEST_F(Win32ToolkitTest, FailurePoliciesAndOneEventAtATime) {
  SendMessageW(Child(L"Skip"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.steps, 2);
  EXPECT_EQ(form.List.Count(), 1);
  EXPECT_TRUE(reports.empty());

  // A tick that falls due while a handler pumps messages is dropped.
  form.Ticker.SetInterval(10);
  SendMessageW(Child(L"Go"), BM_CLICK, 0, 0);
  SendMessageW(Child(L"Pump"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.ticks, 0);
  PumpFor(100);
  EXPECT_GT(form.ticks, 0);

  // A failure that escapes a handler is reported, then the program ends.
  SendMessageW(Child(L"Click me"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(Child(L"Click me"), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(reports, std::vector<std::string>{"Link failed"});
  EXPECT_TRUE(window.Ended());
  EXPECT_FALSE(IsWindowVisible(window.Hwnd()));
  EXPECT_FALSE(form.Ticker.Enabled());
  const int ticks = form.ticks;
  EXPECT_TRUE(PumpFor(60));  // the message loop is told to stop
  SendMessageW(Child(L"Go"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.ticks, ticks);
  EXPECT_EQ(form.List.Count(), 2);  // "before" and the first "go" only
}

TEST(Win32ProgramTest, RunsTheLoopUntilTheFormEndsItAndLeavesNothingBehind) {
  HWND seen = nullptr;
  std::weak_ptr<int> formAlive;
  const WindowDesign design{.caption = u"Runner",
                            .clientWidth = 2000,
                            .clientHeight = 1000,
                            .minButton = false,
                            .maxButton = false,
                            .placement = Placement::kSystemDefault,
                            .iconResource = 0};
  const int code = win32::RunProgram(GetModuleHandleW(nullptr), design, [&](Window& w) {
    Button& quit = w.AddButton({.name = "Quit", .caption = u"Quit", .rect = {120, 120, 1200, 375}});
    quit.onClick = [&w] { w.EndProgram(); };
    w.onLoad = [&] {
      seen = FindWindowW(nullptr, L"Runner");
      PostMessageW(GetWindow(seen, GW_CHILD), BM_CLICK, 0, 0);
    };
    auto form = std::make_shared<int>(1);
    formAlive = form;
    return form;
  });
  EXPECT_EQ(code, 0);
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_TRUE(formAlive.expired());
}

}  // namespace
}  // namespace toolkit::testing

namespace toolkit::testing {
namespace {

// The log only ever grows: appending must not slow down as it does.
TEST(Win32ListBoxTest, AppendingStaysFlatAsTheListGrows) {
  win32::Win32Window window(GetModuleHandleW(nullptr), SampleForm::Design(), nullptr);
  SampleForm form(window);
  window.LoadAndShow();
  PumpFor(100);
  // Lines come in batches, one per handler (a sweep that closed 200
  // windows); each batch is painted once after it. What is measured is the
  // appending; a slice's cost is its median batch, so that a busy machine
  // does not decide the outcome.
  constexpr int kLines = 200000, kSlice = 20000, kBatch = 1000;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> batches;
  double first = 0, last = 0;
  for (int batch = 0; batch < kLines / kBatch; ++batch) {
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kBatch; ++i) form.List.AddItem(u"http://example.com/a/page/of/the/log");
    QueryPerformanceCounter(&end);
    PumpFor(0);
    batches.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    if (batches.size() == kSlice / kBatch) {
      std::sort(batches.begin(), batches.end());
      (batch < kSlice / kBatch ? first : last) = batches[batches.size() / 2] * (kSlice / kBatch);
      batches.clear();
    }
  }
  ASSERT_EQ(form.List.Count(), kLines);
  std::printf("append: first %d lines %.3f s, last %d lines %.3f s\n", kSlice, first, kSlice, last);
  EXPECT_LE(last, 2 * first);
}

}  // namespace
}  // namespace toolkit::testing
