// What only the real controls under Wine can show: how their failures are
// numbered, the credit line's look, and the cost of a long log.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "toolkit/tests/failure_numbers.h"
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

// A label with a handler shows the hand over it and paints in its colour.
TEST(Win32ToolkitTest, AClickableLabelShowsTheHandInItsColour) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  Label& label = window.AddLabel({.name = "Link", .caption = u"Link", .rect = {0, 0, 2000, 255}});
  label.SetForeColor({0, 0, 192});
  label.onClick = [] {};
  window.LoadAndShow();
  const HWND link = GetWindow(window.Hwnd(), GW_CHILD);
  EXPECT_TRUE(SendMessageW(window.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  HDC dc = GetDC(link);
  SendMessageW(window.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(link));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 192));
  ReleaseDC(link, dc);
}

// Switching on a timer that runs leaves its countdown alone. A busy machine
// cannot make this pass wrongly: a restarted countdown ends no sooner than a
// whole interval after the second switch.
TEST(Win32TimerTest, SwitchingOnAgainKeepsTheCountdown) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  Timer& timer = window.AddTimer("Timer", 200);
  DWORD ticked = 0;
  timer.onTick = [&] { ticked = ticked ? ticked : GetTickCount(); };
  timer.SetEnabled(true);
  const DWORD first = GetTickCount();
  Sleep(100);
  const DWORD again = GetTickCount();
  timer.SetEnabled(true);
  while (!ticked && GetTickCount() - again < 1000) {
    Pump();
    Sleep(1);
  }
  ASSERT_NE(ticked, 0u);
  std::printf("first tick %lu ms after switching on, %lu ms after switching on again\n",
              ticked - first, ticked - again);
  EXPECT_LT(ticked - again, 200u);
  EXPECT_GE(ticked - first, 190u);
}

// The log only ever grows: appending must not slow down as it does.
TEST(Win32ListBoxTest, AppendingStaysFlatAsTheListGrows) {
  Win32Window window(GetModuleHandleW(nullptr), kDesign);
  ListBox& list = window.AddListBox({.name = "List", .caption = u"", .rect = {0, 0, 6000, 3000}});
  window.LoadAndShow();
  // Lines come in batches, one per handler (a sweep that closed 200
  // windows), each painted once after it; a slice's cost is its median
  // batch, so that a busy machine does not decide the outcome.
  constexpr int kLines = 200000, kSlice = 20000, kBatch = 1000;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> batches;
  double first = 0, last = 0;
  for (int batch = 0; batch < kLines / kBatch; ++batch) {
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kBatch; ++i) list.AddItem(u"http://example.com/a/page/of/the/log");
    QueryPerformanceCounter(&end);
    Pump();
    batches.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    if (batches.size() == kSlice / kBatch) {
      std::sort(batches.begin(), batches.end());
      (batch < kSlice / kBatch ? first : last) = batches[batches.size() / 2] * (kSlice / kBatch);
      batches.clear();
    }
  }
  ASSERT_EQ(list.Count(), kLines);
  std::printf("append: first %d lines %.3f s, last %d lines %.3f s\n", kSlice, first, kSlice, last);
  EXPECT_LE(last, 2 * first);
}

}  // namespace
}  // namespace toolkit::testing
