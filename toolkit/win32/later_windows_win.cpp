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

// Every name that Windows loads by name into these programs after they
// start, neither imported by them nor a known DLL, with where it was found.
// Where the search cannot be restricted, each is loaded from the system
// folder first thing; a name the system folder lacks (a DLL of a later
// Windows) is passed over. Where it can, only those marked `wine`.
struct LaterLoadedDll {
  const wchar_t* name;
  // Wine loads it after start and resolves its imports from the program's
  // folder whatever the search.
  bool wine;
};
constexpr LaterLoadedDll kLaterLoadedDlls[] = {
    // Wine's +loaddll trace of both programs used through every button and
    // the link: the theme engine, what it imports, COM's proxies.
    {L"uxtheme.dll", true},
    {L"msimg32.dll", true},
    {L"actxprxy.dll", true},
    // 7-Zip's DllSecur.c, what Windows Vista to 10 load into a program with
    // windows, COM and the shell once it runs: the shell's profile, device,
    // compatibility and property functions, the window manager's (the
    // theme engine's), the crypto base that GUID making reaches on 7,
    // accessibility, COM's catalogue, file versions.
    {L"userenv.dll", false},
    {L"setupapi.dll", false},
    {L"apphelp.dll", false},
    {L"propsys.dll", false},
    {L"dwmapi.dll", false},
    {L"cryptbase.dll", false},
    {L"oleacc.dll", false},
    {L"clbcatq.dll", false},
    {L"version.dll", false},
    // What the programs' own code makes the system load: the accessibility
    // annotation's CLSID_AccPropServices is served by oleacc, which loads
    // its texts from oleaccrc. Not comctl32, which the programs load by
    // name: the manifest takes it from WinSxS before any folder is searched,
    // and the system folder's copy, loaded by path, would be version 5.
    {L"oleaccrc.dll", false},
};

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
  // place in the search (an empty name would do that on Windows, not Wine),
  // and the program's folder is still searched first.
  const bool restricted =
      later.setDefaultDllDirectories && later.setDefaultDllDirectories(kSearchSystemFolderOnly);
  if (!restricted) SetDllDirectoryW(found ? folder : L"");
  if (!found) return;
  // The names that the system loads once a program runs are loaded now from
  // the system folder, and a name that is loaded is not searched for again.
  // Where the search is restricted, Windows searches only the system folder
  // for them and for what they import, so only the names that Wine loads
  // need it there. The altered search path takes what each of them imports
  // from the system folder too. They stay loaded for the life of the
  // program.
  for (const LaterLoadedDll& dll : kLaterLoadedDlls) {
    if (restricted && !dll.wine) continue;
    const std::wstring path = std::wstring(folder, length) + L'\\' + dll.name;
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
