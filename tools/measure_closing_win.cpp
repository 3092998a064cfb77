// `make measure`: how fast Quorrin closes a browser window, through the real
// Quorrin.exe and the test shell's windows. Prints the time from a pop-up
// showing its page to its window being gone (one pop-up at a time, opened
// at no fixed phase of the timer), and the cost that each listed window that
// is not a page adds to a sweep. With "hung": what a page whose calls never
// return does to Quorrin.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver_win.h"

namespace {

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Sweeps per second, seen as the groups a window that refuses to close adds
// to the log. Only the count is read: reading a long log line by line would
// take part of the time measured.
double SweepsPerSecond(HWND list) {
  const auto lines = [list] { return SendMessageW(list, LB_GETCOUNT, 0, 0); };
  const auto before = lines();
  const double start = Now();
  Sleep(3000);
  const auto after = lines();
  return static_cast<double>(after - before) / 5.0 / ((Now() - start) / 1000.0);
}

// A page whose calls never return: does Quorrin's window still answer, and
// how soon does a close from outside end it (Windows' Task Manager sends
// WM_CLOSE). A person's click waits behind the page under Wine, whose wait
// takes no input; tests/closing_win_test.cpp shows it on a wait like Windows'.
int MeasureHungPage(driver::TestShell& shell, driver::RunningProgram& quorrin, HWND start) {
  const HWND page = shell.Open(L"hung", L"Hung", L"http://hung.example/");
  driver::Click(start);
  Sleep(500);
  int answered = 0, asked = 0;
  double slowest = 0;
  DWORD_PTR ignored;
  for (const double end = Now() + 2000; Now() < end; ++asked, Sleep(100)) {
    const double sent = Now();
    if (SendMessageTimeoutW(quorrin.window, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &ignored)) ++answered;
    slowest = std::max(slowest, Now() - sent);
  }
  const double closed = Now();
  SendMessageTimeoutW(quorrin.window, WM_CLOSE, 0, 0, SMTO_BLOCK, 1000, &ignored);
  const DWORD code = quorrin.ExitCode(10000);
  std::printf(
      "hung page: Quorrin's window answered %d of %d messages in 2 s (slowest %.0f ms); "
      "WM_CLOSE sent as Windows' Task Manager sends it ended it after %.0f ms (exit code %lu)\n",
      answered, asked, slowest, Now() - closed, static_cast<unsigned long>(code));
  PostMessageW(page, WM_USER, 0, 0);
  return code == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool hung = argc > 1 && std::wstring(argv[1]) == L"hung";
  const int count = argc > 1 && !hung ? std::max(1, _wtoi(argv[1])) : 50;
  driver::TestShell shell;
  driver::RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  const HWND start = driver::FindChild(quorrin.window, L"button", L"Start Closing");
  const HWND list = driver::FindChild(quorrin.window, L"listbox", L"");
  if (!shell.Ready() || !quorrin.Started() || !start || !list) {
    std::printf("measure: the test shell or Quorrin did not come up\n");
    return 1;
  }
  if (hung) return MeasureHungPage(shell, quorrin, start);
  driver::Click(start);

  std::vector<double> ms;
  for (int i = 0; i < count; ++i) {
    const std::wstring n = std::to_wstring(i + 1);
    const HWND popUp = shell.Open(L"page", L"Pop-up " + n, L"http://popup.example/" + n);
    const double shown = Now();
    if (!driver::WaitFor([&] { return !IsWindow(popUp); }, 10000, 1)) break;
    ms.push_back(Now() - shown);
    Sleep(static_cast<DWORD>(7 * i % 61));  // a different phase of the timer each time
  }
  std::sort(ms.begin(), ms.end());
  const auto at = [&](double q) { return ms[static_cast<size_t>(q * (ms.size() - 1) + 0.5)]; };
  if (ms.size() != static_cast<size_t>(count)) {
    std::printf("measure: only %zu of %d pop-up windows were closed\n", ms.size(), count);
    return 1;
  }
  std::printf(
      "%d pop-up windows closed: median %.0f ms, 95th percentile %.0f ms, slowest %.0f ms\n", count,
      at(0.5), at(0.95), ms.back());

  constexpr int kFolders = 20;
  shell.Open(L"stubborn", L"Stays", L"http://stays.example/");
  const double alone = SweepsPerSecond(list);
  for (int i = 0; i < kFolders; ++i) shell.Open(L"folder", L"Folder", L"file:///C:/");
  const double crowded = SweepsPerSecond(list);
  std::printf(
      "sweeps per second: %.1f with one page listed, %.1f with %d folder windows beside it: "
      "%.1f ms per folder window and sweep\n",
      alone, crowded, kFolders, std::max(0.0, (1000.0 / crowded - 1000.0 / alone) / kFolders));
  return 0;
}
