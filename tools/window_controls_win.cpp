// Reports a program's window as the system sees it, for scripts that check a
// program from outside: one line for the window, then one for each control
// in tab order, each "class<TAB>left<TAB>top<TAB>right<TAB>bottom<TAB>
// enabled<TAB>text" in UTF-8, rectangles in screen pixels (the window's is its
// client area). --click TEXT first clicks the button showing TEXT with the
// mouse, as a person does, and --close closes the window after the report.
//
//   window_controls CAPTION [--click TEXT]... [--close]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/driver_win.h"

namespace {

void Report(HWND h, const std::wstring& cls, RECT r, const std::wstring& text) {
  driver::Print(cls + L"\t" + std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" +
                std::to_wstring(r.right) + L"\t" + std::to_wstring(r.bottom) + L"\t" +
                (IsWindowEnabled(h) ? L"1" : L"0") + L"\t" + text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: window_controls CAPTION [--click TEXT]... [--close]\n", stderr);
    return 2;
  }
  HWND window = nullptr;
  driver::WaitFor(
      [&] { return (window = FindWindowW(nullptr, argv[1])) && IsWindowVisible(window); }, 15000);
  if (!window) return 1;
  bool close = false;
  for (int i = 2; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--close") {
      close = true;
    } else if (option == L"--click" && i + 1 < argc) {
      const HWND button = driver::FindChild(window, L"button", argv[++i]);
      if (!button || !driver::Click(button)) return 1;
    }
  }
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  Report(window, L"window", client, driver::TextOf(window));
  for (HWND h = GetWindow(window, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(h, &r);
    Report(h, driver::ClassOf(h), r, driver::TextOf(h));
  }
  if (close) PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}
