// Loads DLLs by name, as the system loads its own once a program runs:
//   dll_probe [--guard | --fallback] NAME...
// With --guard it first keeps later loads out of its folder as the programs
// do; with --fallback, as they do on a system without
// SetDefaultDllDirectories (XP, and Vista or 7 without update KB2533623).
// Exits with the number of names not loaded.
#include <windows.h>

#include <string>

#include "toolkit/win32/later_windows_win.h"

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"--guard") toolkit::win32::KeepDllLoadsInSystemFolder();
  if (mode == L"--fallback")
    toolkit::win32::KeepDllLoadsInSystemFolder(toolkit::win32::LaterFunctions{});
  int missing = 0;
  for (int i = mode.starts_with(L"--") ? 2 : 1; i < argc; ++i)
    missing += LoadLibraryW(argv[i]) ? 0 : 1;
  return missing;
}
