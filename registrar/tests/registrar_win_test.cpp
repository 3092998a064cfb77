// Brakkon's window on the real controls, with the real registry and COM.
#include <gtest/gtest.h>
#include <windows.h>

#include "registrar/form1.h"
#include "registrar/guid_win.h"
#include "registrar/registry_win.h"
#include "toolkit/tests/caption_fit_win.h"
#include "toolkit/win32/window_win.h"

namespace registrar {
namespace {

// The layout's twips were drawn for the 8-point dialog font: every caption
// of the window is whole in it, at 100 % and at 150 %.
TEST(Form1OnWin32Test, EveryCaptionFitsAtEveryScale) {
  win32::Ole32GuidSource guids;
  win32::Win32Registry registry;
  toolkit::win32::Win32Window window(GetModuleHandleW(nullptr), Form1::Design());
  Form1 form(window, guids, registry);
  window.LoadAndShow();
  toolkit::testing::CheckCaptionsAtEveryScale(window.Hwnd());
}

}  // namespace
}  // namespace registrar
