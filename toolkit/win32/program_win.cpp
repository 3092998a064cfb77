#include "toolkit/win32/program_win.h"

#include <commctrl.h>

#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/window_win.h"

namespace toolkit::win32 {

int RunProgram(HINSTANCE instance, const WindowDesign& design, const FormFactory& makeForm) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    Win32Window window(instance, design);
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
