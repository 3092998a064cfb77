#pragma once
// The program's 16-bit text and the system's wide strings are the same code
// units on Windows; only the type differs.
#include <string>
#include <string_view>

#include "toolkit/string.h"

namespace toolkit::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are 16 bits");

inline std::wstring ToWide(StringView text) {
  return std::wstring(text.begin(), text.end());
}
inline String FromWide(std::wstring_view text) {
  return String(text.begin(), text.end());
}

}  // namespace toolkit::win32
