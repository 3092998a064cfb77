// Reports a program's window as the system sees it, for scripts that check a
// program from outside: one line for the window, then one for each control
// in tab order, each "class<TAB>left<TAB>top<TAB>right<TAB>bottom<TAB>
// enabled<TAB>text" in UTF-8, rectangles in screen pixels (the window's is its
// client area). --click TEXT first clicks the button showing TEXT with the
// mouse, as a person does, and --close closes the window after the report.
// --focus adds a line of class "focus" for the window that has the keyboard
// focus in the program's thread, and --lines one of class "line" for each
// line that a list box shows whole, its rectangle where it is drawn.
//
//   window_controls CAPTION [--click TEXT]... [--focus] [--lines] [--close]
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

RECT ScreenClient(HWND h) {
  RECT client{};
  GetClientRect(h, &client);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

// The lines from the list's top one down, as long as each fits its client area.
void ReportLines(HWND list) {
  const RECT client = ScreenClient(list);
  const auto height = static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  const std::vector<std::wstring> lines = driver::ListLines(list);
  const auto top = static_cast<size_t>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
  RECT line{client.left, client.top, client.right, client.top + height};
  for (size_t i = top; height > 0 && i < lines.size() && line.bottom <= client.bottom; ++i) {
    Report(list, L"line", line, lines[i]);
    OffsetRect(&line, 0, height);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: window_controls CAPTION [--click TEXT]... [--focus] [--lines] [--close]\n",
               stderr);
    return 2;
  }
  HWND window = nullptr;
  driver::WaitFor(
      [&] { return (window = FindWindowW(nullptr, argv[1])) && IsWindowVisible(window); });
  if (!window) return 1;
  bool close = false, focus = false, lines = false;
  for (int i = 2; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--close") {
      close = true;
    } else if (option == L"--focus") {
      focus = true;
    } else if (option == L"--lines") {
      lines = true;
    } else if (option == L"--click" && i + 1 < argc) {
      const HWND button = driver::FindChild(window, L"button", argv[++i]);
      if (!button || !driver::Click(button)) return 1;
    }
  }
  Report(window, L"window", ScreenClient(window), driver::TextOf(window));
  for (HWND h = GetWindow(window, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(h, &r);
    Report(h, driver::ClassOf(h), r, driver::TextOf(h));
    if (lines && driver::ClassOf(h) == L"listbox") ReportLines(h);
  }
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (focus && GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
      info.hwndFocus) {
    RECT r{};
    GetWindowRect(info.hwndFocus, &r);
    Report(info.hwndFocus, L"focus", r, driver::TextOf(info.hwndFocus));
  }
  if (close) PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}
