#include "closer/shell_launch_win.h"

#include <windows.h>
// windows.h first.
#include <shellapi.h>

#include "toolkit/win32/wide.h"

namespace closer::win32 {

void ShellExecuteLaunch::Open(toolkit::StringView text) {
  const std::wstring file = toolkit::win32::ToWide(text);
  // The result is not examined: a text the shell cannot open is no failure.
  ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace closer::win32
