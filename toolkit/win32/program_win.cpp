#include "toolkit/win32/program_win.h"

#include <commctrl.h>

#include "toolkit/win32/call_filter_win.h"
#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/window_win.h"

namespace toolkit::win32 {

namespace {

// The common controls are loaded here, once the program has kept later DLL
// loads in the system folder (KeepDllLoadsInSystemFolder): imported with the
// program, they would be loaded before its first line and look for the theme
// engine in the program's folder. The manifest makes this version 6; without
// them the standard controls still work, unthemed.
void LoadCommonControls() {
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const HMODULE module = LoadLibraryW(L"comctl32.dll");
  const auto init = module ? reinterpret_cast<InitFunction>(reinterpret_cast<void*>(
                                 GetProcAddress(module, "InitCommonControlsEx")))
                           : nullptr;
  const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  if (init) init(&controls);
}

}  // namespace

int RunProgram(HINSTANCE instance, const WindowDesign& design, const FormFactory& makeForm) {
  LoadCommonControls();
  try {
    Win32Window window(instance, design);
    // Where the program has COM: its calls into other processes wait by its
    // own rules.
    const CallFilter filter(window);
    // The form refers to the window's controls, so it goes first.
    std::shared_ptr<void> form = makeForm(window);
    window.LoadAndShow();
    const int code = window.RunMessageLoop();
    // Releasing the form's COM references may pump messages: no tick or
    // click may reach it while it is half gone.
    window.Quiesce();
    form.reset();
    return code;
  } catch (const std::exception& e) {
    ShowRunTimeError(nullptr, design.caption, e.what());
    return 1;
  }
}

}  // namespace toolkit::win32
