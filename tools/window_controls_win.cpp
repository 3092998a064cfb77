// Reports a program's window as the system sees it, for scripts that check a
// program from outside: one line for the window, then one for each control
// in tab order, each "class<TAB>left<TAB>top<TAB>right<TAB>bottom<TAB>
// enabled<TAB>text" in UTF-8, rectangles in screen pixels (the window's is its
// client area). --click TEXT first clicks the button showing TEXT with the
// mouse, as a person does; --cancel-shutdown first asks the window whether
// the session may end and then tells it that it will not, as Windows does
// when another program's user cancels a shutdown; --close closes the window
// after the report.
// --focus adds a line of class "focus" for the window that has the keyboard
// focus in the program's thread, --checked one of class "checked" for each
// button that shows a check, and --lines one of class "line" for each line
// that a list box shows whole, its rectangle where it is drawn, then one of
// class "scroll" for the place of its vertical scroll bar: enabled is whether
// the bar is shown, text "TOP COUNT PAGE": the first line shown, the lines,
// and how many lines the list shows at once.
//
//   window_controls CAPTION [--click TEXT]... [--cancel-shutdown] [--focus] [--checked]
//                   [--lines] [--close]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/driver_win.h"

namespace {

void Row(const std::wstring& cls, RECT r, bool on, const std::wstring& text) {
  driver::Print(cls + L"\t" + std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" +
                std::to_wstring(r.right) + L"\t" + std::to_wstring(r.bottom) + L"\t" +
                (on ? L"1" : L"0") + L"\t" + text);
}

void Report(HWND h, const std::wstring& cls, RECT r, const std::wstring& text) {
  Row(cls, r, IsWindowEnabled(h), text);
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
  // The scroll bar's own state lives in the list's process; what it must
  // show is read from the list: its first line shown, its lines, a page.
  RECT outer{};
  GetWindowRect(list, &outer);
  const LONG border = client.left - outer.left;
  const RECT bar{client.right, client.top, outer.right - border, client.bottom};
  const auto page = height > 0 ? (client.bottom - client.top) / height : 0;
  Row(L"scroll", bar, GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL,
      std::to_wstring(top) + L" " + std::to_wstring(lines.size()) + L" " + std::to_wstring(page));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs(
        "usage: window_controls CAPTION [--click TEXT]... [--cancel-shutdown] [--focus] "
        "[--checked] [--lines] [--close]\n",
        stderr);
    return 2;
  }
  HWND window = nullptr;
  driver::WaitFor(
      [&] { return (window = FindWindowW(nullptr, argv[1])) && IsWindowVisible(window); });
  if (!window) return 1;
  bool close = false, focus = false, lines = false, checked = false;
  for (int i = 2; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--close") {
      close = true;
    } else if (option == L"--focus") {
      focus = true;
    } else if (option == L"--cancel-shutdown") {
      SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
      SendMessageW(window, WM_ENDSESSION, FALSE, 0);
    } else if (option == L"--checked") {
      checked = true;
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
    if (checked && driver::ClassOf(h) == L"button" &&
        SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) {
      Report(h, L"checked", r, driver::TextOf(h));
    }
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
