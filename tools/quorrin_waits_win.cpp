// QuorrinWaits.exe: Quorrin as it ships (its window, its sweep, its message
// filter, the test shell's windows through COM), except that its calls wait,
// or are rejected, as Microsoft documents COM's handling of a call into
// another process. Wine's own wait neither wakes for the user's input nor ends
// when the filter cancels the call, and Wine never rejects a call as busy, so
// what the filter does for a person on Windows is shown here. The command
// line sets what the shell's list plays:
// - nothing: it starts with a window whose every call waits for an answer
//   that never comes (a hung page);
// - /busy: it starts with a window whose every call is rejected as busy
//   (SERVERCALL_RETRYLATER), as a page's process rejects calls while the page
//   shows a dialog;
// - /slow: the first window it lists answers for its document only after a
//   second (a slow page), and is the test shell's page from then on.
// Each wait holds the lock of unload_lock.dll beside the program (of the test
// tree), which waits for that lock when the process ends and its libraries
// are told so: a library whose cleanup waits for what the waiting call holds.
// Without that library the program does not start.
#include <windows.h>
// windows.h first.
#include <wrl/client.h>

#include <memory>
#include <string>
#include <string_view>

#include "closer/form1.h"
#include "closer/shell_launch_win.h"
#include "closer/shell_windows_win.h"
#include "toolkit/win32/com_win.h"
#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/later_windows_win.h"
#include "toolkit/win32/module_win.h"
#include "toolkit/win32/program_win.h"

namespace {

using Microsoft::WRL::ComPtr;

enum class Mode { kHung, kBusy, kSlow };
Mode g_mode = Mode::kHung;

// How long the slow page takes to answer: twice the filter's bound for a
// person who acts, so that the pointer's passing has time to be taken for one.
constexpr DWORD kSlowMs = 1000;
// A rejected call that the filter has not given up within this is given up
// here, so that a filter that tries again for ever cannot hold the tests.
constexpr DWORD kGiveUpMs = 1000;
constexpr DWORD kCancelRetry = static_cast<DWORD>(-1);

// Takes unload_lock.dll's lock, or gives it back.
void (*g_holdLock)(bool hold) = nullptr;

std::wstring Beside(const wchar_t* name) {
  const std::wstring program = toolkit::win32::ProgramPath();
  return program.substr(0, program.find_last_of(L'\\') + 1) + name;
}

// Milliseconds on the steady clock: Wine's GetTickCount can stand still for
// a while on a busy host, and the tests read these times.
double Now() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What each call saw, for the tests: quorrin_waits.log beside the program
// gets "wait N" when wait N begins, "input N MS" when the user's input first
// lies in the queue, "moved N MS" as it ends if the filter was asked while a
// mouse move lay in the queue (MS: the last time it was), then "cancelled N
// MS" when the filter cancelled it or "answered N MS" when the answer came,
// MS being how long it had waited; and "rejected N RETRIES MS" as call N,
// rejected as busy, fails after the filter had it tried again RETRIES times,
// MS after it was made.
void Note(const std::string& line) {
  const HANDLE file =
      CreateFileW(Beside(L"quorrin_waits.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

ComPtr<IMessageFilter> RegisteredFilter() {
  ComPtr<IMessageFilter> filter;
  CoRegisterMessageFilter(nullptr, &filter);  // taken, and put back at once
  if (filter) CoRegisterMessageFilter(filter.Get(), nullptr);
  return filter;
}

// The wait of a call in a single-threaded apartment (IMessageFilter::
// MessagePending, PENDINGMSG_WAITDEFPROCESS) for an answer that comes after
// `answerMs` (INFINITE: never): whenever a message is queued, the thread's
// registered filter is asked; sent messages and paint are handled, the user's
// input and posted messages are left in the queue; PENDINGMSG_CANCELCALL ends
// the wait with RPC_E_CALL_CANCELED.
HRESULT WaitAsComDoes(DWORD answerMs) {
  static int waits = 0;
  const std::string n = std::to_string(++waits);
  const ComPtr<IMessageFilter> filter = RegisteredFilter();
  Note("wait " + n);
  g_holdLock(true);
  const double start = Now();
  bool inputSeen = false;
  long moved = -1;
  HRESULT result = S_OK;
  DWORD waited = 0;
  while ((waited = static_cast<DWORD>(Now() - start)) < answerMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, answerMs == INFINITE ? INFINITE : answerMs - waited,
                                QS_ALLINPUT, 0);
    if ((waited = static_cast<DWORD>(Now() - start)) >= answerMs) break;
    if (!inputSeen && HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0) {
      inputSeen = true;
      Note("input " + n + " " + std::to_string(waited));
    }
    if (HIWORD(GetQueueStatus(QS_MOUSEMOVE)) != 0) moved = static_cast<long>(waited);
    if (filter &&
        filter->MessagePending(nullptr, waited, PENDINGTYPE_TOPLEVEL) == PENDINGMSG_CANCELCALL) {
      result = RPC_E_CALL_CANCELED;
      break;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  g_holdLock(false);
  if (moved >= 0) Note("moved " + n + " " + std::to_string(moved));
  Note((result == S_OK ? "answered " : "cancelled ") + n + " " + std::to_string(waited));
  return result;
}

// A call that the other process rejects as busy at every try: the filter's
// RetryRejectedCall says what COM does, give up (-1: the call fails with
// RPC_E_CALL_REJECTED), try again at once (below 100) or after waiting that
// many milliseconds.
HRESULT RejectAsComDoes() {
  static int calls = 0;
  const std::string n = std::to_string(++calls);
  const ComPtr<IMessageFilter> filter = RegisteredFilter();
  const double start = Now();
  int retries = 0;
  for (;; ++retries) {
    const auto tried = static_cast<DWORD>(Now() - start);
    // Without a filter COM fails the call at once.
    const DWORD answer = filter && tried < kGiveUpMs
                             ? filter->RetryRejectedCall(nullptr, tried, SERVERCALL_RETRYLATER)
                             : kCancelRetry;
    if (answer == kCancelRetry || (answer >= 100 && WaitAsComDoes(answer) != S_OK)) break;
  }
  Note("rejected " + n + " " + std::to_string(retries) + " " +
       std::to_string(static_cast<long>(Now() - start)));
  return RPC_E_CALL_REJECTED;
}

// The window that the mode puts first: its document is asked for as the mode
// has it, and anything else is `page`'s, the test shell's window it stands
// for, if any.
class StandInWindow final : public closer::ShellWindow {
 public:
  explicit StandInWindow(std::unique_ptr<closer::ShellWindow> page) : page_(std::move(page)) {}
  std::unique_ptr<closer::ShellDocument> Document() override {
    toolkit::win32::ThrowIfFailed(g_mode == Mode::kBusy
                                      ? RejectAsComDoes()
                                      : WaitAsComDoes(g_mode == Mode::kSlow ? kSlowMs : INFINITE),
                                  "IWebBrowser2::get_Document");
    return page_ ? page_->Document() : nullptr;
  }
  toolkit::String LocationName() override { return page_ ? page_->LocationName() : u""; }
  toolkit::String LocationURL() override { return page_ ? page_->LocationURL() : u""; }
  toolkit::String FullName() override { return page_ ? page_->FullName() : u""; }
  void Quit() override {
    if (page_) page_->Quit();
  }

 private:
  std::unique_ptr<closer::ShellWindow> page_;
};

// The stand-in's window first, then the rest of the shell's own list. A hung
// or busy window comes before the list is read, so pages opened while it
// waits are in it; a slow one is the list's first.
class StandInFirst final : public closer::ShellWindowEnumeration {
 public:
  explicit StandInFirst(closer::ShellWindowCollection& shell) : shell_(shell) {}
  std::unique_ptr<closer::ShellWindow> Next() override {
    if (!given_ && g_mode != Mode::kSlow) {
      given_ = true;
      return std::make_unique<StandInWindow>(nullptr);
    }
    if (!rest_) rest_ = shell_.Enumerate();
    std::unique_ptr<closer::ShellWindow> next = rest_->Next();
    if (given_ || !next) return next;
    given_ = true;
    return std::make_unique<StandInWindow>(std::move(next));
  }

 private:
  closer::ShellWindowCollection& shell_;
  bool given_ = false;
  std::unique_ptr<closer::ShellWindowEnumeration> rest_;
};

class WithStandIn final : public closer::ShellWindowCollection {
 public:
  explicit WithStandIn(std::unique_ptr<closer::ShellWindowCollection> shell)
      : shell_(std::move(shell)) {}
  std::unique_ptr<closer::ShellWindowEnumeration> Enumerate() override {
    return std::make_unique<StandInFirst>(*shell_);
  }

 private:
  std::unique_ptr<closer::ShellWindowCollection> shell_;
};

class ShellWithStandIn final : public closer::ShellWindows {
 public:
  std::unique_ptr<closer::ShellWindowCollection> Create() override {
    return std::make_unique<WithStandIn>(shell_.Create());
  }

 private:
  closer::win32::ComShellWindows shell_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
  toolkit::win32::KeepDllLoadsInSystemFolder();
  const std::wstring_view mode = args;
  g_mode = mode == L"/busy" ? Mode::kBusy : mode == L"/slow" ? Mode::kSlow : Mode::kHung;
  if (const HMODULE lock = LoadLibraryW(Beside(L"unload_lock.dll").c_str())) {
    g_holdLock =
        reinterpret_cast<void (*)(bool)>(reinterpret_cast<void*>(GetProcAddress(lock, "HoldLock")));
  }
  if (!g_holdLock) return 2;
  const toolkit::win32::ComApartment com;
  ShellWithStandIn shell;
  closer::win32::ShellExecuteLaunch launch;
  return toolkit::win32::RunProgram(instance, closer::Form1::Design(),
                                    [&](toolkit::Window& window) {
                                      return std::make_shared<closer::Form1>(window, shell, launch);
                                    });
}
