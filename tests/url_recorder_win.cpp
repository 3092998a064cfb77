// UrlRecorder.exe: stands in for the browser that the shell starts for an
// http or https address, in the private Wine prefix only. Each run appends
// one line to url_recorder.log beside it, "show <n>\t<count>\t<argument>...",
// n being how it was told to show its window (STARTF_USESHOWWINDOW's
// wShowWindow, or "-" when it was not told), and a run given one address
// opens it as a page of the test shell, as a browser opens a new window.
// A windowed program that shows no window of its own, so the system gives it
// no console: a console would take the front, and a key still held down
// goes on to the program that started it, as while a browser is starting.
#include <windows.h>
// windows.h first.
#include <shellapi.h>

#include <string>

#include "tools/driver_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 1;
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  std::wstring line =
      L"show " + ((startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_wstring(startup.wShowWindow)
                                                           : std::wstring(L"-"));
  line += L"\t" + std::to_wstring(argc - 1);
  for (int i = 1; i < argc; ++i) line += L"\t" + std::wstring(argv[i]);
  const std::string bytes = driver::ToUtf8(line + L"\n");
  const std::wstring path = driver::Folder() + L"\\url_recorder.log";
  const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);

  if (argc == 2) {
    if (HWND shell = FindWindowW(L"BrowserShellControl", nullptr)) {
      std::wstring command = L"page\t" + std::wstring(argv[1]) + L"\t" + argv[1];
      COPYDATASTRUCT data{0, static_cast<DWORD>(command.size() * sizeof(wchar_t)), command.data()};
      SendMessageW(shell, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
  }
  return 0;
}
