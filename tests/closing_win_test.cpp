// Quorrin's one job, from the outside: the real Quorrin.exe against the test
// shell's browser windows (BrowserShell.exe, another process serving the
// shell's window collection), read back through its real list box.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first.
#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tools/driver_win.h"

namespace {

using driver::Click;
using driver::ListLines;
using driver::RunningProgram;
using driver::TestShell;
using driver::WaitFor;

const std::wstring kSep = L"----------------------";

std::vector<std::wstring> Group(std::vector<std::wstring> middle) {
  middle.insert(middle.begin(), kSep);
  middle.push_back(kSep);
  return middle;
}

std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> groups) {
  std::vector<std::wstring> all;
  for (const auto& g : groups) all.insert(all.end(), g.begin(), g.end());
  return all;
}

// Once Quorrin is between sweeps it holds the collection and nothing else:
// no document, no enumeration, no browser, not even a closed one.
void ExpectNothingHeld(const TestShell& shell) {
  for (const auto what : {TestShell::kDocuments, TestShell::kEnumerations,
                          TestShell::kBrowserReferences, TestShell::kClosedBrowsers}) {
    EXPECT_TRUE(WaitFor([&] { return shell.Count(what) == 0; }))
        << "held: " << what << " " << shell.Count(what);
  }
}

struct Quorrin {
  RunningProgram program{L"Quorrin.exe", L"Quorrin - Porn Site Closer"};
  HWND Button(const wchar_t* caption) const {
    return driver::FindChild(program.window, L"button", caption);
  }
  HWND start() const { return Button(L"Start Closing"); }
  HWND close() const { return Button(L"Close"); }
  HWND stop() const { return Button(L"Stop Closing"); }
  HWND list() const { return driver::FindChild(program.window, L"listbox", L""); }
  size_t Lines() const { return ListLines(list()).size(); }
};

TEST(QuorrinClosing, LogsAndClosesPagesOnlyInTheCollectionsOrder) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  const std::wstring path = TestShell::Path();
  const HWND a = shell.Open(L"page", L"\u03a9\u03bc\u03ad\u03b3\u03b1", L"http://a.example/1");
  const HWND folder = shell.Open(L"folder", L"C:\\Users", L"file:///C:/Users");
  const HWND none = shell.Open(L"none", L"", L"");
  const HWND b = shell.Open(L"page", L"\u65e5\u672c\u8a9e \U0001F600", L"http://b.example/2?q=1");
  const HWND empty = shell.Open(L"page", L"", L"about:blank");
  // Titles a hostile page chose: a reversed extension, an embedded NUL (the
  // list keeps C strings, so it shows U+FFFD), half a surrogate pair.
  const std::wstring bidi = L"\u202Egnp.exe\u202C cute cats";
  const HWND c = shell.Open(L"page", bidi, L"http://c.example/");
  const HWND d = shell.Open(L"page", std::wstring(L"nul\0here", 8), L"http://d.example/");
  const HWND e =
      shell.Open(L"page", std::wstring(L"half ") + wchar_t(0xD83D), L"http://e.example/");
  for (HWND h : {a, folder, none, b, empty, c, d, e}) ASSERT_TRUE(IsWindow(h));

  Quorrin q;
  ASSERT_TRUE(q.program.Started());
  EXPECT_TRUE(Click(q.start()));
  const auto first =
      Join({Group({L"\u03a9\u03bc\u03ad\u03b3\u03b1", L"http://a.example/1", path}),
            Group({L"\u65e5\u672c\u8a9e \U0001F600", L"http://b.example/2?q=1", path}),
            Group({L"", L"about:blank", path}), Group({bidi, L"http://c.example/", path}),
            Group({L"nul\uFFFDhere", L"http://d.example/", path}),
            Group({std::wstring(L"half ") + wchar_t(0xD83D), L"http://e.example/", path})});
  EXPECT_TRUE(WaitFor([&] {
    for (HWND h : {a, b, empty, c, d, e}) {
      if (IsWindow(h)) return false;
    }
    return true;
  }));
  EXPECT_EQ(ListLines(q.list()), first);
  EXPECT_TRUE(IsWindow(folder));
  EXPECT_TRUE(IsWindow(none));

  // A page that arrives later is closed by a tick; a window that refuses to
  // close is logged again at every tick.
  const HWND later = shell.Open(L"later", L"Later", L"http://c.example/");
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(later); }));
  EXPECT_EQ(ListLines(q.list()), Join({first, Group({L"Later", L"http://c.example/", path})}));
  const HWND stubborn = shell.Open(L"stubborn", L"Stay", L"http://d.example/");
  const auto before = q.Lines();
  ASSERT_TRUE(WaitFor([&] { return q.Lines() >= before + 15; }));
  const auto lines = ListLines(q.list());
  const auto stay = Group({L"Stay", L"http://d.example/", path});
  EXPECT_EQ(std::vector<std::wstring>(lines.begin() + before, lines.begin() + before + 15),
            Join({stay, stay, stay}));
  EXPECT_TRUE(IsWindow(stubborn));
  EXPECT_TRUE(IsWindow(folder));
  EXPECT_TRUE(IsWindow(none));
  Click(q.stop());
  ExpectNothingHeld(shell);
}

// Sweeps run only while closing is on, one at each click of "Start Closing"
// and one every 60 ms, counted by the test shell as the enumerations begun.
TEST(QuorrinClosing, SweepsEvery60MillisecondsOnlyWhileClosingIsOn) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  const std::wstring path = TestShell::Path();
  // Listed first, an item that is no browser window: passed over.
  const HWND other = shell.Open(L"notbrowser", L"No browser", L"http://other.example/");
  const HWND a = shell.Open(L"page", L"A", L"http://a.example/");
  const HWND b = shell.Open(L"page", L"B", L"http://b.example/");
  Quorrin q;
  ASSERT_TRUE(q.program.Started());
  const auto sweepsIn3s = [&](const std::function<void()>& meanwhile) {
    const long before = shell.Count(TestShell::kSweeps);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 3000;) meanwhile();
    q.program.Settle();
    return shell.Count(TestShell::kSweeps) - before;
  };
  const auto idle = [] { Sleep(10); };

  long sweeps = shell.Count(TestShell::kSweeps);
  Sleep(500);
  EXPECT_EQ(shell.Count(TestShell::kSweeps), sweeps) << "before Start Closing";
  EXPECT_TRUE(IsWindow(a) && IsWindow(b));

  Click(q.start());
  ASSERT_TRUE(WaitFor([&] { return q.Lines() >= 10; }));
  const auto lines = ListLines(q.list());
  EXPECT_EQ(
      std::vector<std::wstring>(lines.begin(), lines.begin() + 10),
      Join({Group({L"A", L"http://a.example/", path}), Group({L"B", L"http://b.example/", path})}));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(a) && !IsWindow(b); }));
  EXPECT_TRUE(IsWindow(other));

  // 3000 / 60 = 50; a period of 50 ms gives 60, one of 100 ms gives 30.
  const long ticks = sweepsIn3s(idle);
  EXPECT_GE(ticks, 42);
  EXPECT_LE(ticks, 55);
  // A click while closing is on sweeps at once and leaves the countdown
  // alone: clicked every 40 ms, the ticks still come.
  long clicks = 0;
  const long withClicks = sweepsIn3s([&] {
    Click(q.start());
    ++clicks;
    Sleep(40);
  });
  EXPECT_GE(withClicks - clicks, 42) << clicks << " clicks";
  EXPECT_LE(withClicks - clicks, 55) << clicks << " clicks";
  std::printf("sweeps in 3 s: %ld; with %ld clicks of Start Closing: %ld\n", ticks, clicks,
              withClicks);

  Click(q.stop());
  sweeps = shell.Count(TestShell::kSweeps);
  Sleep(500);
  EXPECT_EQ(shell.Count(TestShell::kSweeps), sweeps) << "after Stop Closing";
  EXPECT_EQ(q.Lines(), 10u);
}

TEST(QuorrinClosing, AValueThatCannotBeReadCostsOnlyItsLine) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  const std::wstring path = TestShell::Path();
  const std::wstring longTitle(65536, L'x');
  const HWND windows[] = {shell.Open(L"notitle", L"T1", L"http://1.example/"),
                          shell.Open(L"nourl", L"T2", L"http://2.example/"),
                          shell.Open(L"nopath", L"T3", L"http://3.example/"),
                          shell.Open(L"slow", longTitle, L"http://4.example/")};
  Quorrin q;
  ASSERT_TRUE(q.program.Started());
  Click(q.start());
  EXPECT_TRUE(WaitFor([&] {
    for (HWND h : windows) {
      if (IsWindow(h)) return false;
    }
    return true;
  }));
  Click(q.stop());
  ExpectNothingHeld(shell);
  EXPECT_EQ(ListLines(q.list()), Join({Group({L"http://1.example/", path}), Group({L"T2", path}),
                                       Group({L"T3", L"http://3.example/"}),
                                       Group({longTitle, L"http://4.example/", path})}));
  Click(q.close());
  EXPECT_EQ(q.program.ExitCode(5000), 0u);
}

// A page that does not answer until it is told to holds Quorrin inside a
// sweep, in an outgoing call that pumps messages: what the user does then
// must still happen, once the sweep is over.
TEST(QuorrinClosing, WhatTheUserDoesDuringASweepHappensAfterIt) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  const std::wstring path = TestShell::Path();
  const HWND held = shell.Open(L"hung+stubborn", L"Held", L"http://held.example/");
  Quorrin q;
  ASSERT_TRUE(q.program.Started());
  Click(q.start());
  Sleep(300);  // the sweep now waits for the page's first answer
  // Sent, as an accessibility client's "invoke" sends it: COM's wait
  // delivers sent messages, so this click reaches the button inside the
  // sweep. A mouse click would wait in the queue until the sweep ended.
  DWORD_PTR ignored;
  EXPECT_TRUE(SendMessageTimeoutW(q.stop(), BM_CLICK, 0, 0, SMTO_BLOCK, 2000, &ignored));
  PostMessageW(held, WM_USER, 0, 0);  // the page answers at last
  // That sweep ends, and no other begins.
  ASSERT_TRUE(WaitFor([&] { return q.Lines() == 5; }));
  const HWND page = shell.Open(L"page", L"Opened while off", L"http://off.example/");
  Sleep(1000);
  EXPECT_EQ(ListLines(q.list()), Group({L"Held", L"http://held.example/", path}));
  EXPECT_TRUE(IsWindow(page));

  // Windows' Task Manager ends a program by sending WM_CLOSE to its window:
  // it comes in while the page holds the sweep, and ends Quorrin there.
  Click(q.start());
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(page); }));
  const HWND heldToo = shell.Open(L"hung", L"Held too", L"http://held.example/2");
  Sleep(300);
  const DWORD sent = GetTickCount();
  SendMessageTimeoutW(q.program.window, WM_CLOSE, 0, 0, SMTO_BLOCK, 2000, &ignored);
  EXPECT_EQ(q.program.ExitCode(1000), 0u);
  std::printf("ended by WM_CLOSE while a page held the sweep: after %lu ms\n",
              GetTickCount() - sent);
  PostMessageW(heldToo, WM_USER, 0, 0);
}

// What Wine's wait cannot show, through a stand-in that waits as Windows'
// COM does (QuorrinWaits.exe): a page that never answers costs each sweep at
// most the longest wait, so a page opened meanwhile is still closed; and a
// person's click on "Close" ends Quorrin at once.
TEST(QuorrinClosing, AHungPageHoldsNeitherThePagesBehindItNorClose) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  Quorrin q{{L"QuorrinWaits.exe", L"Quorrin - Porn Site Closer"}};
  ASSERT_TRUE(q.program.Started());
  Click(q.start());
  const DWORD opened = GetTickCount();
  const HWND page = shell.Open(L"page", L"Behind", L"http://behind.example/");
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(page); }, 5000));
  const DWORD closedAfter = GetTickCount() - opened;
  EXPECT_EQ(ListLines(q.list()), Group({L"Behind", L"http://behind.example/", TestShell::Path()}));

  Sleep(700);  // the next sweep has waited longer than a click need wait
  const DWORD clicked = GetTickCount();
  Click(q.close());
  EXPECT_EQ(q.program.ExitCode(1000), 0u);
  std::printf(
      "hung page: one opened behind it closed after %lu ms; Close ended Quorrin after %lu ms\n",
      closedAfter, GetTickCount() - clicked);
}

// Explorer crashes and comes back: the collection Quorrin kept is dead, and
// it must find the new one by itself.
TEST(QuorrinClosing, AfterTheShellRestartsNewWindowsAreClosedAgain) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  Quorrin q;
  ASSERT_TRUE(q.program.Started());
  Click(q.start());
  const HWND before = shell.Open(L"page", L"Before", L"http://before.example/");
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(before); }));
  ASSERT_TRUE(shell.Restart());
  const HWND after = shell.Open(L"page", L"After", L"http://after.example/");
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(after); }, 5000));
  EXPECT_EQ(q.Lines(), 10u);
}

std::set<DWORD> Processes() {
  std::set<DWORD> ids;
  const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(all, &entry); more; more = Process32NextW(all, &entry)) {
    ids.insert(entry.th32ProcessID);
  }
  CloseHandle(all);
  return ids;
}

std::string ReadFile(const std::wstring& path) {
  std::string bytes;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

// "Open Selected Site" and the credit line hand the shell an address; in the
// private prefix, the shell's handler for http and https is a recorder of
// the test tree that notes how it was started and opens the address as a
// new test browser window.
TEST(QuorrinClosing, TheBrowserGetsOneSoundAddressAndShowsItsWindow) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  const std::wstring recorded = driver::Folder() + L"\\url_recorder.log";
  DeleteFileW(recorded.c_str());
  Quorrin q;
  ASSERT_TRUE(q.program.Started());
  const HWND text1 = driver::FindChild(q.program.window, L"edit", L"");
  const HWND open = q.Button(L"Open Selected Site");

  const auto before = Processes();
  for (const wchar_t* text :
       {L"http://x\" --flag", L"http://x --flag", L"http://a.example/\r\ncalc.exe",
        L"file:///C:/windows/system32/notepad.exe", L"javascript:alert(1)",
        L"\\\\evil.example\\share\\setup.exe", L"C:\\windows\\system32\\notepad.exe", L"http:",
        L"http://"}) {
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    Click(open);
  }
  Sleep(500);
  EXPECT_EQ(Processes(), before);
  EXPECT_EQ(ReadFile(recorded), "");

  // A logged address, clicked in the log, opens a window the next tick
  // closes; the browser is told to show it as it normally shows a window.
  const std::wstring url = L"http://offer.example/a?b=1&c=%22d%22#top";
  Click(q.start());
  const HWND page = shell.Open(L"page", L"Offer", url);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(page); }));
  driver::ClickLine(q.list(), 2);
  ASSERT_TRUE(WaitFor([&] { return driver::TextOf(text1) == url; }));
  Click(open);
  EXPECT_TRUE(WaitFor([&] { return q.Lines() == 10; }, 10000));

  // The credit line, clicked on its words, opens the author's page so.
  const HWND credit =
      driver::FindChild(q.program.window, L"static", L"Made by Drabwick - Click to visite my site");
  RECT words{};
  GetClientRect(credit, &words);
  driver::ClickAt(credit, {10, words.bottom / 2});
  EXPECT_TRUE(WaitFor([&] { return q.Lines() == 15; }, 10000));
  // And so do Space and Enter on it (which Tab reaches: see the black-box tests).
  q.program.Press(VK_SPACE, credit);
  EXPECT_TRUE(WaitFor([&] { return q.Lines() == 20; }, 10000));
  q.program.Press(VK_RETURN, credit);
  EXPECT_TRUE(WaitFor([&] { return q.Lines() == 25; }, 10000));
  const std::string shown = "show 1\t1\thttps://drabwick.example.org/\n";
  EXPECT_EQ(ReadFile(recorded),
            "show 1\t1\thttp://offer.example/a?b=1&c=%22d%22#top\n" + shown + shown + shown);
  const auto lines = ListLines(q.list());
  const auto author = Group(
      {L"https://drabwick.example.org/", L"https://drabwick.example.org/", TestShell::Path()});
  EXPECT_EQ(std::vector<std::wstring>(lines.begin() + 5, lines.end()),
            Join({Group({url, url, TestShell::Path()}), author, author, author}));
}

// However the message loop ends, the program ends cleanly, even in a sweep.
TEST(QuorrinClosing, EndsCleanlyOnAQuitFromOutsideOrTheSessionEnding) {
  TestShell shell;
  ASSERT_TRUE(shell.Ready());
  shell.Open(L"slow+stubborn", L"Slow", L"http://slow.example/");
  for (const bool session : {false, true}) {
    Quorrin q;
    ASSERT_TRUE(q.program.Started());
    Click(q.start());
    ASSERT_TRUE(WaitFor([&] { return q.Lines() >= 1; }));
    if (session) {
      SendMessageW(q.program.window, WM_QUERYENDSESSION, 0, 0);
      SendMessageW(q.program.window, WM_ENDSESSION, TRUE, 0);
    } else {
      PostThreadMessageW(q.program.ThreadId(), WM_QUIT, 0, 0);
    }
    EXPECT_EQ(q.program.ExitCode(5000), 0u) << (session ? "session end" : "WM_QUIT");
  }
}

}  // namespace
