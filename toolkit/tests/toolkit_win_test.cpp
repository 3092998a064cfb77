// What only the real controls under Wine can show: how their failures are
// numbered, the credit line's look, the timer's countdown, what the message
// filter reads in the queue, the fallbacks for what later Windows versions
// added, and the cost of a long log.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tests/eventually_win.h"
#include "toolkit/tests/failure_numbers.h"
#include "toolkit/win32/call_filter_win.h"
#include "toolkit/win32/later_windows_win.h"
#include "toolkit/win32/window_win.h"

namespace toolkit::testing {
namespace {

using win32::Win32Window;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

const WindowDesign kDesign{.caption = u"Toolkit", .clientWidth = 6000, .clientHeight = 3000};

TEST(Win32ToolkitTest, FailsWithTheSystemsNumbers) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  CheckFailureNumbers(window);
}

// A label with a handler shows the hand over it (its colour is checked on
// the screen).
TEST(Win32ToolkitTest, AClickableLabelShowsTheHand) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  Label& label = window.AddLabel({.name = "Link", .caption = u"Link", .rect = {0, 0, 2000, 255}});
  label.onClick = [] {};
  window.LoadAndShow();
  const HWND link = GetWindow(window.Hwnd(), GW_CHILD);
  EXPECT_TRUE(SendMessageW(window.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

// The toolkit's timer against plain timers of the system on the same
// thread, told apart by the order of their ticks: the system gives expired
// timers in the order they fell due, so a busy host, which makes every tick
// late, changes no order. Each plain timer is armed 50 ms after the one
// before it, all with the toolkit's 200 ms:
//   before (0 ms), the toolkit's (50 ms), after (100 ms): the toolkit's
//   first tick falls between theirs, which a countdown shorter than 150 ms
//   or longer than 250 ms does not;
//   switched on again at 150 ms: a countdown restarted then ticks after
//   `after`;
//   `next`, armed in the first tick's handler 20 ms in: the toolkit's next
//   tick, 200 ms after its first fell due, comes before it, which a
//   countdown started again after each tick does not.
TEST(Win32TimerTest, KeepsItsCountdownWhenSwitchedOnAgainAndAcrossItsTicks) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  const HWND h = window.Hwnd();
  Timer& timer = window.AddTimer("Timer", 200);
  enum : UINT_PTR { kBefore = 97, kAfter = 98, kNext = 99 };
  std::vector<int> order;  // 0 for the toolkit's ticks, else a plain timer's id
  timer.onTick = [&] {
    order.push_back(0);
    if (order.size() > 2) return;
    Sleep(20);
    SetTimer(h, kNext, 200, nullptr);
    Sleep(20);
  };
  SetTimer(h, kBefore, 200, nullptr);
  Sleep(50);
  timer.SetEnabled(true);
  Sleep(50);
  SetTimer(h, kAfter, 200, nullptr);
  Sleep(50);
  timer.SetEnabled(true);
  const std::int64_t hang = driver::Micros() + std::int64_t{driver::kHangMs} * 1000;
  while (order.size() < 5 && driver::Micros() < hang) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);
    } else if (msg.message == WM_TIMER && msg.hwnd == h && msg.wParam >= kBefore) {
      KillTimer(h, msg.wParam);
      order.push_back(static_cast<int>(msg.wParam));
    } else {
      DispatchMessageW(&msg);
    }
  }
  timer.SetEnabled(false);
  EXPECT_EQ(order, (std::vector<int>{kBefore, 0, kAfter, 0, kNext}));
}

// Real messages in the queue, read as a call's wait asks the filter, which
// takes none of them out: the window's close command, the program's quit, a
// key pressed through the system's input; a timer's tick is no act of the
// user's and stays for after the wait. Asked to wait on, the filter posts
// itself a wake (WM_APP + 2) at the next bound or within a quarter second, and
// takes its wakes out when it is asked again.
TEST(Win32CallFilterTest, ReadsTheQueueAsTheWaitingRulesSeeIt) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  window.LoadAndShow();
  const HWND h = window.Hwnd();
  win32::CallFilter filter(window);
  const auto queued = [](HWND to, UINT message) {
    MSG msg;
    return PeekMessageW(&msg, to, message, message, PM_NOREMOVE) && msg.message == message;
  };
  // A paint is handed on, not dropped: it comes back until the window has
  // painted, and the window manager may still be uncovering it.
  const auto drop = [] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_PAINT) DispatchMessageW(&msg);
    }
  };
  drop();
  SetTimer(h, 99, 100, nullptr);
  Sleep(150);
  EXPECT_EQ(win32::LookAtQueue(h), Queued::kNothing);
  EXPECT_TRUE(queued(h, WM_TIMER));
  KillTimer(h, 99);
  drop();
  // A wait for a message is bounded only against a hang.
  const auto comes = [&](UINT message) {
    return driver::Eventually(
        "the filter's wake", [&] { return queued(h, message); }, driver::kHangMs, 1);
  };
  EXPECT_EQ(filter.MessagePending(nullptr, 2990, PENDINGTYPE_TOPLEVEL), PENDINGMSG_WAITDEFPROCESS);
  EXPECT_TRUE(comes(WM_APP + 2)) << "at 3000 ms";
  EXPECT_EQ(filter.MessagePending(nullptr, 3000, PENDINGTYPE_TOPLEVEL), PENDINGMSG_CANCELCALL);
  EXPECT_FALSE(queued(h, WM_APP + 2)) << "the wake taken out";
  // Asked as a wait begins, the filter looks at the queue again a quarter
  // second later: no sooner, and long before the 3 s bound. A busy host can
  // only make a wake late: one later than a second is taken again.
  for (int take = 1; take <= 5; ++take) {
    const std::int64_t asked = driver::Micros();
    EXPECT_EQ(filter.MessagePending(nullptr, 0, PENDINGTYPE_TOPLEVEL), PENDINGMSG_WAITDEFPROCESS);
    ASSERT_TRUE(comes(WM_APP + 2)) << "a quarter second in";
    const auto woken = (driver::Micros() - asked) / 1000;
    drop();
    EXPECT_GE(woken, 240) << "woken before a quarter second";
    if (woken < 1000) break;
    std::printf("the filter's wake came after %lld ms: taken again\n",
                static_cast<long long>(woken));
    EXPECT_LT(take, 5) << "no wake of 5 came within a second: the queue is looked at again "
                          "only at the bound";
  }

  PostMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(win32::LookAtQueue(h), Queued::kNothing);
  drop();
  for (const auto& [message, command] : {std::pair{WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0}}) {
    PostMessageW(h, message, command, 0);
    EXPECT_EQ(win32::LookAtQueue(h), Queued::kClose) << message;
    EXPECT_TRUE(queued(h, message));
    drop();
  }
  PostQuitMessage(3);
  EXPECT_EQ(win32::LookAtQueue(h), Queued::kClose);
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 3);

  SetForegroundWindow(h);
  INPUT key[2]{};
  for (INPUT& k : key) {
    k.type = INPUT_KEYBOARD;
    k.ki.wVk = 'A';
  }
  key[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(2, key, sizeof(INPUT)), 2u);
  EXPECT_TRUE(driver::Eventually("the key in the queue",
                                 [&] { return win32::LookAtQueue(h) == Queued::kInput; }));
  EXPECT_EQ(filter.MessagePending(nullptr, 499, PENDINGTYPE_TOPLEVEL), PENDINGMSG_WAITDEFPROCESS);
  EXPECT_EQ(filter.MessagePending(nullptr, 500, PENDINGTYPE_TOPLEVEL), PENDINGMSG_CANCELCALL);
  EXPECT_TRUE(queued(h, WM_KEYDOWN));
  drop();
}

// Where the system lacks the per-monitor DPI functions (before Windows 10
// 1607), the window takes the system's DPI and sizes its frame around the
// client area the design asks for: 6000 x 3000 twips, 400 x 200 pixels at
// Wine's 96 dpi.
TEST(LaterWindowsTest, WindowWithoutPerMonitorDpiFunctions) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign, win32::LaterFunctions{});
  RECT client{};
  GetClientRect(window.Hwnd(), &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_EQ(window.ToPixels(1440), 96);
}

// Without GetTickCount64 (XP) the 32-bit count is widened across its wrap,
// every 49.7 days, and never goes back.
TEST(LaterWindowsTest, TickCountWidenedAcrossTheWrap) {
  std::atomic<ULONGLONG> last{0xFFFFFF00ull};
  EXPECT_EQ(win32::WidenTickCount(0xFFFFFFF0u, last), 0xFFFFFFF0ull);
  EXPECT_EQ(win32::WidenTickCount(0x00000010u, last), 0x100000010ull);
  EXPECT_EQ(win32::WidenTickCount(0xFFFFFFF8u, last), 0x100000010ull);  // older: no change
  EXPECT_EQ(win32::WidenTickCount(0x00000020u, last), 0x100000020ull);
  EXPECT_EQ(last.load(), 0x100000020ull);
}

// The log only ever grows: appending must not slow down as it does.
TEST(Win32ListBoxTest, AppendingStaysFlatAsTheListGrows) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  ListBox& list = window.AddListBox({.name = "List", .caption = u"", .rect = {0, 0, 6000, 3000}});
  window.LoadAndShow();
  // Lines come in batches, one per handler (a sweep that closed 200
  // windows), each painted once after it; a slice's cost is its fastest
  // batch, the one least held up by whatever else the machine is doing.
  constexpr int kLines = 200000, kSlice = 20000, kBatch = 1000;
  std::vector<double> batches;
  double first = 0, last = 0;
  for (int batch = 0; batch < kLines / kBatch; ++batch) {
    const std::int64_t start = driver::Micros();
    for (int i = 0; i < kBatch; ++i) list.AddItem(u"http://example.com/a/page/of/the/log");
    batches.push_back((driver::Micros() - start) / 1e6);
    Pump();
    if (batches.size() == kSlice / kBatch) {
      (batch < kSlice / kBatch ? first : last) =
          *std::min_element(batches.begin(), batches.end()) * (kSlice / kBatch);
      batches.clear();
    }
  }
  ASSERT_EQ(list.Count(), kLines);
  std::printf("append: first %d lines %.3f s, last %d lines %.3f s\n", kSlice, first, kSlice, last);
  // A cost per line that grew with the list would make the last slice about
  // 19 times the first (190,000 lines before it on average, against 10,000).
  EXPECT_LE(last, 4 * first);
}

}  // namespace
}  // namespace toolkit::testing
