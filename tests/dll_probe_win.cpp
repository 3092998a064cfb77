// Loads DLLs by name, as the system loads its own once a program runs:
//   dll_probe [--fallback] NAME...
// With --fallback it first keeps later loads out of its folder as the
// programs do on a system without SetDefaultDllDirectories (XP, and Vista or
// 7 without update KB2533623). Exits with the number of names not loaded.
#include <windows.h>

#include <string>

#include "toolkit/win32/later_windows_win.h"

int wmain(int argc, wchar_t** argv) {
  int first = 1;
  if (argc > 1 && std::wstring(argv[1]) == L"--fallback") {
    toolkit::win32::KeepDllLoadsInSystemFolder(toolkit::win32::LaterFunctions{});
    first = 2;
  }
  int missing = 0;
  for (int i = first; i < argc; ++i) missing += LoadLibraryW(argv[i]) ? 0 : 1;
  return missing;
}
