#pragma once
// The thread's own message filter: COM asks it whenever a message arrives
// while one of the thread's calls into another process waits for its answer.
// Without one, COM waits for as long as the other process takes, and the
// user's input waits in the queue all that time: a page that hangs would
// hold the program, "Close" and the title bar's close button with it.
#include <objbase.h>
// objbase.h first.
#include <windows.h>

#include "toolkit/call_wait.h"

namespace toolkit::win32 {

class Win32Window;

// What the filter posts to the window to be asked again; the window's own
// handling ignores it. Beside the window's deferred events (WM_APP + 1).
inline constexpr UINT kWakeMessage = WM_APP + 2;

// What the thread's queue holds for `window`, as the waiting rules see it;
// nothing is taken out of it.
Queued LookAtQueue(HWND window);

// Registered on the calling thread for as long as it lives, if the thread
// has a single-threaded COM apartment; without one it does nothing.
class CallFilter final : public IMessageFilter {
 public:
  explicit CallFilter(Win32Window& window);
  ~CallFilter();
  CallFilter(const CallFilter&) = delete;
  CallFilter& operator=(const CallFilter&) = delete;

  // Not counted: it lives on the stack for as long as it is registered.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD tickCount,
                                             LPINTERFACEINFO info) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount,
                                            DWORD rejectType) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

 private:
  Win32Window& window_;
  // Wakes the wait when the rules are to be asked again: a one-shot of the
  // system's timer queue that posts kWakeMessage to the window. A posted message
  // wakes COM's wait under Windows and Wine alike; a timer's tick on this
  // thread does not wake Wine's, which leaves timers out of what it waits for.
  HANDLE watch_ = nullptr;
  void Unwatch(HANDLE wait);
  IMessageFilter* previous_ = nullptr;
  bool registered_ = false;
};

}  // namespace toolkit::win32
