#include "toolkit/win32/later_windows_win.h"

#include <string>

namespace toolkit::win32 {

namespace {

template <class F>
void Find(F& function, const wchar_t* dll, const char* name) {
  function =
      reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(dll), name)));
}

// LOAD_LIBRARY_SEARCH_SYSTEM32, which older headers lack.
constexpr DWORD kSearchSystemFolderOnly = 0x00000800;

}  // namespace

const LaterFunctions& LaterFunctions::OfSystem() {
  static const LaterFunctions system = [] {
    LaterFunctions found;
    Find(found.setDefaultDllDirectories, L"kernel32.dll", "SetDefaultDllDirectories");
    Find(found.getTickCount64, L"kernel32.dll", "GetTickCount64");
    Find(found.getDpiForWindow, L"user32.dll", "GetDpiForWindow");
    Find(found.adjustWindowRectExForDpi, L"user32.dll", "AdjustWindowRectExForDpi");
    return found;
  }();
  return system;
}

void KeepDllLoadsInSystemFolder(const LaterFunctions& later) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  const bool found = length > 0 && length < MAX_PATH;
  // Every later load by name searches the system folder only. Where the
  // system cannot do that, the system folder takes the current folder's
  // place in the search (an empty name would do that on Windows, not Wine).
  if (!later.setDefaultDllDirectories || !later.setDefaultDllDirectories(kSearchSystemFolderOnly)) {
    SetDllDirectoryW(found ? folder : L"");
  }
  if (!found) return;
  // The names that the system loads once a program runs are loaded now from
  // the system folder, and a name that is loaded is not searched for again.
  // This covers the program's own folder where the search cannot be
  // restricted, and loaders that look for a DLL's own imports in the
  // program's folder whatever the search (Wine's). The altered search path
  // takes what each of them imports from the system folder too. They stay
  // loaded for the life of the program.
  for (const wchar_t* name : kLaterLoadedDlls) {
    const std::wstring path = std::wstring(folder, length) + L'\\' + name;
    LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
}

ULONGLONG WidenTickCount(DWORD now, std::atomic<ULONGLONG>& last) {
  ULONGLONG seen = last.load();
  for (;;) {
    // How far the 32-bit count moved since `seen`; as a signed number, a
    // count that another thread has already passed is behind, not a wrap.
    const auto ahead = static_cast<LONG>(now - static_cast<DWORD>(seen));
    if (ahead <= 0) return seen;
    const ULONGLONG next = seen + static_cast<ULONGLONG>(ahead);
    if (last.compare_exchange_weak(seen, next)) return next;
  }
}

ULONGLONG WINAPI TickCount64() {
  if (const auto system = LaterFunctions::OfSystem().getTickCount64) return system();
  static std::atomic<ULONGLONG> last{GetTickCount()};
  return WidenTickCount(GetTickCount(), last);
}

}  // namespace toolkit::win32
