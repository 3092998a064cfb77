#pragma once
// Assembling a program on the Win32 realization.
#include <windows.h>

#include <functional>
#include <memory>

#include "toolkit/toolkit.h"

namespace toolkit::win32 {

// Makes the program's form on its window: adds the controls and sets the
// handlers. The result is owned by RunProgram and destroyed when the message
// loop has ended, before the window.
using FormFactory = std::function<std::shared_ptr<void>(Window& window)>;

// Creates the window (hidden), builds the form, delivers the load event, shows
// the window and runs the message loop until the program ends. Unhandled
// failures are shown in a message box and end the program. Returns the exit
// code for wWinMain.
int RunProgram(HINSTANCE instance, const WindowDesign& design, const FormFactory& makeForm);

}  // namespace toolkit::win32
