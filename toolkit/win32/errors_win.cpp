#include "toolkit/win32/errors_win.h"

#include "toolkit/failure.h"
#include "toolkit/win32/wide.h"

namespace toolkit::win32 {

std::string FailureText(const char* call, unsigned long code) {
  // Formatted by hand: printf would bring a formatting engine into the programs.
  std::string text = std::string(call) + " failed (0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789ABCDEF"[(code >> shift) & 0xF];
  return text + ")";
}

void ThrowIfFailed(HRESULT hr, const char* call) {
  if (FAILED(hr)) throw Failure(FailureText(call, static_cast<unsigned long>(hr)), hr);
}

void ShowRunTimeError(HWND owner, const String& caption, const std::string& message) {
  const std::wstring text = ToWide(FromUtf8("Run-time error:\n\n" + message));
  MessageBoxW(owner, text.c_str(), ToWide(caption).c_str(), MB_OK | MB_ICONERROR);
}

void ThrowLastError(const char* call) {
  const DWORD code = GetLastError();
  throw Failure(FailureText(call, code), static_cast<long>(code));
}

}  // namespace toolkit::win32
