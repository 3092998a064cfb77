// Quorrin's window on the real controls, over a simulated desktop whose pages
// a hostile site chose: what the user sees and does, through the system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "closer/form1.h"
#include "closer/shell_windows_model.h"
#include "closer/tests/log_lines.h"
#include "toolkit/win32/window_win.h"

namespace closer {
namespace {

using namespace closer::testing;
using toolkit::String;

// Dispatches what is queued, and for `milliseconds` more; tells whether the
// program asked the loop to stop.
bool Pump(DWORD milliseconds = 0) {
  bool quit = false;
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      quit = quit || msg.message == WM_QUIT;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
  return quit;
}

struct Recorded final : ShellLaunch {
  void Open(toolkit::StringView text) override { opened.emplace_back(text); }
  Lines opened;
};

TEST(Form1OnWin32Test, LogsHostilePagesIntactAndOpensOnlyWebAddresses) {
  const String bidi = u"\u202Egnp.exe\u202C cute cats";
  const String surrogate = String(u"half ") + char16_t(0xD83D) + u" pair";
  const String huge(64 * 1024, u'W');
  const String withNul(u"nul\0here", 8);
  model::ModelShellWindows shell;
  shell.Open({bidi, u"http://a.test/", u"C:\\iexplore.exe", model::Shows::kHtml, 0});
  shell.Open({withNul, u"\\\\evil.test\\share\\setup.exe", u"", model::Shows::kHtml, 0});
  shell.Open({u"C:\\", u"file:///C:/", u"C:\\explorer.exe", model::Shows::kOther, 0});
  shell.Open({huge, surrogate, u"\u0007\r\n", model::Shows::kHtml, 0});
  const String sep(kSeparator);
  // The list keeps each line as a C string, so an embedded NUL shows as U+FFFD.
  const Lines once = {sep,
                      bidi,
                      u"http://a.test/",
                      u"C:\\iexplore.exe",
                      sep,
                      sep,
                      u"nul\uFFFDhere",
                      u"\\\\evil.test\\share\\setup.exe",
                      u"",
                      sep,
                      sep,
                      huge,
                      surrogate,
                      u"\u0007\r\n",
                      sep};

  Recorded launch;
  std::vector<std::string> reports;
  toolkit::win32::Win32Window window(GetModuleHandleW(nullptr), Form1::Design(),
                                     [&](const std::string& m) { reports.push_back(m); });
  Form1 form(window, shell, launch);
  window.LoadAndShow();
  std::vector<HWND> c;
  for (HWND h = GetWindow(window.Hwnd(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    c.push_back(h);
  ASSERT_EQ(c.size(), 9u);
  const HWND start = c[1], close = c[2], list = c[3], stop = c[5], open = c[6], clean = c[7];
  EXPECT_FALSE(IsWindowEnabled(stop));

  SendMessageW(start, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(stop));
  EXPECT_EQ(Log(form), once);
  EXPECT_EQ(shell.Quits(), (std::vector<int>{0, 1, 3}));
  // The pages stay listed, so every tick logs them again, group by group.
  Pump(200);
  SendMessageW(stop, BM_CLICK, 0, 0);
  const int lines = form.List1.Count();
  EXPECT_GE(lines, 2 * 15);
  EXPECT_EQ(lines % 15, 0);
  Pump(150);
  EXPECT_EQ(form.List1.Count(), lines);

  // Keyboard selection copies a line; only a web address is handed on.
  const auto select = [&](int line) {
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < line; ++i) SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(open, BM_CLICK, 0, 0);
    return form.Text1.GetText();
  };
  EXPECT_EQ(select(2), u"http://a.test/");
  EXPECT_EQ(select(7), u"\\\\evil.test\\share\\setup.exe");
  EXPECT_EQ(select(1), bidi);
  EXPECT_EQ(select(13), u"\u0007\r\n");
  EXPECT_EQ(launch.opened, Lines{u"http://a.test/"});

  SendMessageW(clean, BM_CLICK, 0, 0);
  EXPECT_EQ(form.List1.Count(), 0);
  EXPECT_EQ(form.Text1.GetText(), u"\u0007\r\n");
  SendMessageW(c[8], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(c[8], WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(launch.opened, (Lines{u"http://a.test/", String(kAuthorUrl)}));

  // "Close" while closing is on: the program ends without another sweep.
  SendMessageW(start, BM_CLICK, 0, 0);
  const int enumerations = shell.Calls().enumerate;
  SendMessageW(close, BM_CLICK, 0, 0);
  EXPECT_TRUE(window.Ended());
  EXPECT_TRUE(Pump(150));
  EXPECT_EQ(shell.Calls().enumerate, enumerations);
  EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace closer
