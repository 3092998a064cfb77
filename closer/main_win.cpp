// Quorrin.exe: the closer's window on native Win32 controls, sweeping the
// shell's windows through COM.
#include <windows.h>
// windows.h first.
#include <objbase.h>

#include <memory>

#include "closer/form1.h"
#include "closer/shell_launch_win.h"
#include "closer/shell_windows_win.h"
#include "toolkit/win32/program_win.h"

namespace {

// COM on the user-interface thread, in a single-threaded apartment as the
// shell's objects expect. Declared first, so it ends after everything that
// holds a COM reference.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const ComApartment com;
  closer::win32::ComShellWindows shell;
  closer::win32::ShellExecuteLaunch launch;
  // The form, and with it the shell window collection, is released inside
  // RunProgram, before COM ends. RunProgram reports its own failures.
  return toolkit::win32::RunProgram(instance, closer::Form1::Design(),
                                    [&](toolkit::Window& window) {
                                      return std::make_shared<closer::Form1>(window, shell, launch);
                                    });
}
