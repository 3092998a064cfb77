#pragma once
// Platform failures turned into toolkit::Failure, in one place and one form:
// "<call> failed (0x80070005)", with the platform's code as the failure's.
#include <windows.h>

#include <string>

#include "toolkit/string.h"

namespace toolkit::win32 {

// "<call> failed (0x%08X)".
std::string FailureText(const char* call, unsigned long code);
// Throws when `hr` is a failure.
void ThrowIfFailed(HRESULT hr, const char* call);
// Throws with GetLastError's code, for a call that just failed.
[[noreturn]] void ThrowLastError(const char* call);
// Tells the user of a failure that ends the program: "Run-time error" and
// the failure's text, in a message box with the program's caption.
void ShowRunTimeError(HWND owner, const String& caption, const std::string& message);

}  // namespace toolkit::win32
