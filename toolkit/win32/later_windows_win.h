#pragma once
// What Windows versions after XP SP3 added and the programs use, found at run
// time, so that one file starts on XP and runs on every later Windows. A
// member is null where the running system lacks the function; each use has a
// fallback.
#include <windows.h>

#include <atomic>

namespace toolkit::win32 {

struct LaterFunctions {
  // Windows 8, and 7 or Vista with update KB2533623.
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD flags) = nullptr;
  // Windows 10 1607.
  UINT(WINAPI* getDpiForWindow)(HWND window) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)
  (RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) = nullptr;
  // Vista.
  ULONGLONG(WINAPI* getTickCount64)() = nullptr;

  // The running system's, looked up once.
  static const LaterFunctions& OfSystem();
};

// DLLs loaded by name once the program runs are not taken from the
// program's folder or the current folder, where a download may lie beside a
// planted DLL: where the system can restrict the search, every later load
// by name searches the system folder only; where it cannot (XP, Vista and 7
// without update KB2533623), the names that Windows loads after start are
// loaded from the system folder now. Called first thing, before any window,
// COM or shell call.
void KeepDllLoadsInSystemFolder(const LaterFunctions& later = LaterFunctions::OfSystem());

// Milliseconds since the system started, as GetTickCount64 gives them: from
// the system's own where it has one, else from GetTickCount's 32-bit count.
ULONGLONG WINAPI TickCount64();
// GetTickCount's count `now` widened to 64 bits: `last` holds the latest
// result and takes each wrap of the 32-bit count (every 49.7 days) into
// account, as long as calls come less than 24.8 days apart. Never goes
// back; a count older than `last` gives `last`.
ULONGLONG WidenTickCount(DWORD now, std::atomic<ULONGLONG>& last);

}  // namespace toolkit::win32
