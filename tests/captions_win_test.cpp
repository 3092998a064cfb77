// Both programs' windows on the real controls, in the real dialog font: the
// layout's twips were drawn for the 8-point font, and every caption must be
// whole in it at 100 % and at 150 %: labels and push buttons whole, check
// boxes and option buttons less their box.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "closer/form1.h"
#include "closer/shell_windows_model.h"
#include "registrar/form1.h"
#include "registrar/guid_win.h"
#include "registrar/registry_win.h"
#include "toolkit/win32/window_win.h"

namespace {

// The narrowest margin, in pixels, left by a caption at the window's scale.
int NarrowestCaptionMargin(HWND window, UINT dpi) {
  int narrowest = INT_MAX;
  for (HWND h = GetWindow(window, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    wchar_t cls[16] = {}, text[256] = {};
    GetClassNameW(h, cls, 16);
    const int length = GetWindowTextW(h, text, 256);
    const bool button = _wcsicmp(cls, L"button") == 0;
    if (length == 0 || (!button && _wcsicmp(cls, L"static") != 0)) continue;
    const LONG kind = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
    const bool boxed = button && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON;
    HDC dc = GetDC(h);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    RECT r{};
    GetClientRect(h, &r);
    // A check or option button's box and the gap after it; a push button's
    // edges.
    const int frame = boxed ? MulDiv(GetSystemMetrics(SM_CXMENUCHECK) + 4, dpi, 96)
                            : (button ? MulDiv(6, dpi, 96) : 0);
    const int margin = r.right - frame - size.cx;
    EXPECT_GE(margin, 0) << "\"" << std::string(text, text + length) << "\" is cut at " << dpi
                         << " dpi";
    narrowest = std::min(narrowest, margin);
  }
  return narrowest;
}

// Every caption fits at 100 % and at 150 %: the window is moved to each
// scale as Windows moves it to a monitor of that scale.
void CheckCaptionsAtEveryScale(HWND window) {
  for (const UINT dpi : {96u, 144u}) {
    RECT r{};
    GetWindowRect(window, &r);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    std::printf("narrowest caption margin at %u dpi: %d pixels\n", dpi,
                NarrowestCaptionMargin(window, dpi));
  }
}

struct NoLaunch final : closer::ShellLaunch {
  void Open(toolkit::StringView) override {}
};

TEST(CaptionsFit, Quorrin) {
  closer::model::ModelShellWindows shell;
  NoLaunch launch;
  toolkit::win32::Win32Window window(GetModuleHandleW(nullptr), closer::Form1::Design());
  closer::Form1 form(window, shell, launch);
  window.LoadAndShow();
  CheckCaptionsAtEveryScale(window.Hwnd());
}

TEST(CaptionsFit, Brakkon) {
  registrar::win32::Ole32GuidSource guids;
  registrar::win32::Win32Registry registry;
  toolkit::win32::Win32Window window(GetModuleHandleW(nullptr), registrar::Form1::Design());
  registrar::Form1 form(window, guids, registry);
  window.LoadAndShow();
  CheckCaptionsAtEveryScale(window.Hwnd());
}

}  // namespace
