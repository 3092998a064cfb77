// Brakkon on Windows: the registrar's window on the system's controls, the
// real registry and COM's GUIDs.
#include <windows.h>

#include "registrar/form1.h"
#include "registrar/guid_win.h"
#include "registrar/registry_win.h"
#include "toolkit/win32/later_windows_win.h"
#include "toolkit/win32/program_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  toolkit::win32::KeepDllLoadsInSystemFolder();
  registrar::win32::Ole32GuidSource guids;
  registrar::win32::Win32Registry registry;
  return toolkit::win32::RunProgram(
      instance, registrar::Form1::Design(), [&](toolkit::Window& window) {
        return std::make_shared<registrar::Form1>(window, guids, registry);
      });
}
