// QuorrinWaits.exe: Quorrin as it ships (its window, its sweep, its message
// filter, the test shell's windows through COM), except that the shell's list
// starts with one window whose every call waits, as Microsoft documents COM's
// wait for another process, for an answer that never comes. Wine's own wait
// neither wakes for the user's input nor ends when the filter cancels the
// call, so what the filter does for a person on Windows is shown here.
#include <windows.h>

#include <memory>
#include <string>

#include "closer/form1.h"
#include "closer/shell_launch_win.h"
#include "closer/shell_windows_win.h"
#include "toolkit/win32/com_win.h"
#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/later_windows_win.h"
#include "toolkit/win32/module_win.h"
#include "toolkit/win32/program_win.h"

namespace {

// Milliseconds on the steady clock: Wine's GetTickCount can stand still for
// a while on a busy host, and the tests read these times.
double Now() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What each wait saw, for the tests: quorrin_waits.log beside the program
// gets "wait N" when wait N begins, "input N MS" when the user's input first
// lies in the queue, "cancelled N MS" when the filter cancels it, MS being
// how long it had waited.
void Note(const std::string& line) {
  const std::wstring program = toolkit::win32::ProgramPath();
  const std::wstring path = program.substr(0, program.find_last_of(L'\\')) + L"\\quorrin_waits.log";
  const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// The wait of a call in a single-threaded apartment (IMessageFilter::
// MessagePending, PENDINGMSG_WAITDEFPROCESS): whenever a message is queued,
// the thread's registered filter is asked; sent messages and paint are
// handled, the user's input and posted messages are left in the queue;
// PENDINGMSG_CANCELCALL ends the wait with RPC_E_CALL_CANCELED.
HRESULT WaitAsComDoes() {
  static int waits = 0;
  const std::string n = std::to_string(++waits);
  IMessageFilter* filter = nullptr;
  CoRegisterMessageFilter(nullptr, &filter);  // taken, and put back at once
  if (filter) CoRegisterMessageFilter(filter, nullptr);
  Note("wait " + n);
  const double start = Now();
  bool inputSeen = false;
  for (;;) {
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, 0);
    const auto waited = static_cast<DWORD>(Now() - start);
    if (!inputSeen && HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0) {
      inputSeen = true;
      Note("input " + n + " " + std::to_string(waited));
    }
    if (filter &&
        filter->MessagePending(nullptr, waited, PENDINGTYPE_TOPLEVEL) == PENDINGMSG_CANCELCALL) {
      Note("cancelled " + n + " " + std::to_string(waited));
      filter->Release();
      return RPC_E_CALL_CANCELED;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

class HungWindow final : public closer::ShellWindow {
 public:
  std::unique_ptr<closer::ShellDocument> Document() override {
    toolkit::win32::ThrowIfFailed(WaitAsComDoes(), "IWebBrowser2::get_Document");
    return nullptr;
  }
  toolkit::String LocationName() override { return {}; }
  toolkit::String LocationURL() override { return {}; }
  toolkit::String FullName() override { return {}; }
  void Quit() override {}
};

// The hung window first, then the shell's own list, read once the hung
// window is passed over: pages opened meanwhile are in it.
class HungFirst final : public closer::ShellWindowEnumeration {
 public:
  explicit HungFirst(closer::ShellWindowCollection& shell) : shell_(shell) {}
  std::unique_ptr<closer::ShellWindow> Next() override {
    if (!rest_) {
      if (!hungGiven_) {
        hungGiven_ = true;
        return std::make_unique<HungWindow>();
      }
      rest_ = shell_.Enumerate();
    }
    return rest_->Next();
  }

 private:
  closer::ShellWindowCollection& shell_;
  bool hungGiven_ = false;
  std::unique_ptr<closer::ShellWindowEnumeration> rest_;
};

class WithHungWindow final : public closer::ShellWindowCollection {
 public:
  explicit WithHungWindow(std::unique_ptr<closer::ShellWindowCollection> shell)
      : shell_(std::move(shell)) {}
  std::unique_ptr<closer::ShellWindowEnumeration> Enumerate() override {
    return std::make_unique<HungFirst>(*shell_);
  }

 private:
  std::unique_ptr<closer::ShellWindowCollection> shell_;
};

class ShellWithHungWindow final : public closer::ShellWindows {
 public:
  std::unique_ptr<closer::ShellWindowCollection> Create() override {
    return std::make_unique<WithHungWindow>(shell_.Create());
  }

 private:
  closer::win32::ComShellWindows shell_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  toolkit::win32::KeepDllLoadsInSystemFolder();
  const toolkit::win32::ComApartment com;
  ShellWithHungWindow shell;
  closer::win32::ShellExecuteLaunch launch;
  return toolkit::win32::RunProgram(instance, closer::Form1::Design(),
                                    [&](toolkit::Window& window) {
                                      return std::make_shared<closer::Form1>(window, shell, launch);
                                    });
}
