// Prints the text of each control of a program's window, in tab order, one
// per line in UTF-8; with --close, then closes that window. For scripts that
// check a program from outside.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/driver_win.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: window_texts CAPTION [--close]\n", stderr);
    return 2;
  }
  HWND window = nullptr;
  driver::WaitFor(
      [&] { return (window = FindWindowW(nullptr, argv[1])) && IsWindowVisible(window); }, 15000);
  if (!window) return 1;
  for (HWND h = GetWindow(window, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    const std::wstring text = driver::TextOf(h);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
  }
  if (argc > 2 && std::wstring(argv[2]) == L"--close") PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}
