#pragma once
// The full path of the program's own executable file, however long: the
// system cuts the path at the size of the buffer it is given.
#include <windows.h>

#include <string>

namespace toolkit::win32 {

// Empty when the system cannot tell it; GetLastError says why.
inline std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace toolkit::win32
