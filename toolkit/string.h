#pragma once
// Text inside the programs is 16-bit code units on every platform, as on
// Windows; wchar_t is 32 bits on Linux, so the core uses char16_t.
#include <string>
#include <string_view>

namespace toolkit {

using String = std::u16string;
using StringView = std::u16string_view;

// UTF-8 <-> UTF-16, for messages and tests. Unpaired surrogates and invalid
// bytes become U+FFFD rather than being dropped silently.
std::string ToUtf8(StringView text);
String FromUtf8(std::string_view text);

}  // namespace toolkit
