// QuorrinCadence.exe: Quorrin as it ships (its window, its form, its timer,
// the toolkit's delivery of events), except that the shell's list is empty
// and in this process, so that a sweep costs nothing, and that each tick and
// each posted click is noted as the program takes it from its queue. The
// tests time the countdown on it: a busy host delays only this process's
// thread then, not also every call into the test shell's process, which
// under load would make a sweep outlast the period.
//
// quorrin_cadence.log beside it gets "US tick", "US click ID" (a posted click
// of the control numbered ID) and "US sweep", US being QueryPerformanceCounter
// in microseconds, a clock that every process shares.
#include <windows.h>

#include <memory>
#include <string>

#include "closer/form1.h"
#include "closer/shell_launch_win.h"
#include "toolkit/win32/com_win.h"
#include "toolkit/win32/module_win.h"
#include "toolkit/win32/program_win.h"

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

void Note(const std::string& what) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  const long long us = now.QuadPart / frequency.QuadPart * 1000000 +
                       now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
  const std::string line = std::to_string(us) + " " + what + "\n";
  DWORD written = 0;
  WriteFile(g_log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// Each message as the thread takes it from its queue, before it is handled.
LRESULT CALLBACK Taken(int code, WPARAM removed, LPARAM message) {
  const auto* msg = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE) {
    if (msg->message == WM_TIMER) Note("tick");
    if (msg->message == WM_COMMAND && HIWORD(msg->wParam) == BN_CLICKED) {
      Note("click " + std::to_string(LOWORD(msg->wParam)));
    }
  }
  return CallNextHookEx(nullptr, code, removed, message);
}

class Empty final : public closer::ShellWindowEnumeration {
 public:
  std::unique_ptr<closer::ShellWindow> Next() override { return nullptr; }
};

class NotedList final : public closer::ShellWindowCollection {
 public:
  std::unique_ptr<closer::ShellWindowEnumeration> Enumerate() override {
    Note("sweep");
    return std::make_unique<Empty>();
  }
};

class NotedShell final : public closer::ShellWindows {
 public:
  std::unique_ptr<closer::ShellWindowCollection> Create() override {
    return std::make_unique<NotedList>();
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::wstring program = toolkit::win32::ProgramPath();
  const std::wstring log =
      program.substr(0, program.find_last_of(L'\\')) + L"\\quorrin_cadence.log";
  g_log = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  SetWindowsHookExW(WH_GETMESSAGE, &Taken, nullptr, GetCurrentThreadId());
  const toolkit::win32::ComApartment com;
  NotedShell shell;
  closer::win32::ShellExecuteLaunch launch;
  return toolkit::win32::RunProgram(instance, closer::Form1::Design(),
                                    [&](toolkit::Window& window) {
                                      return std::make_shared<closer::Form1>(window, shell, launch);
                                    });
}
