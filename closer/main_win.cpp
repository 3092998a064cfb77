// Quorrin.exe: the closer's window on native Win32 controls, sweeping the
// shell's windows through COM.
#include <windows.h>

#include <memory>

#include "closer/form1.h"
#include "closer/shell_launch_win.h"
#include "closer/shell_windows_win.h"
#include "toolkit/win32/com_win.h"
#include "toolkit/win32/later_windows_win.h"
#include "toolkit/win32/program_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  toolkit::win32::KeepDllLoadsInSystemFolder();
  // Declared first: COM ends after everything that holds a COM reference.
  const toolkit::win32::ComApartment com;
  closer::win32::ComShellWindows shell;
  closer::win32::ShellExecuteLaunch launch;
  // The form, and with it the shell window collection, is released inside
  // RunProgram, before COM ends. RunProgram reports its own failures.
  return toolkit::win32::RunProgram(instance, closer::Form1::Design(),
                                    [&](toolkit::Window& window) {
                                      return std::make_shared<closer::Form1>(window, shell, launch);
                                    });
}
