#include "toolkit/win32/call_filter_win.h"

#include "toolkit/win32/window_win.h"

namespace toolkit::win32 {

namespace {

// Runs on a thread of the system's timer queue: it only posts.
void CALLBACK Wake(void* window, BOOLEAN) {
  PostMessageW(static_cast<HWND>(window), kWakeMessage, 0, 0);
}

}  // namespace

Queued LookAtQueue(HWND window) {
  MSG msg;
  // Each peek checks what it got: the program's quit comes out whatever
  // range is asked for.
  const auto waiting = [&msg](HWND to, UINT message) {
    return PeekMessageW(&msg, to, message, message, PM_NOREMOVE | PM_NOYIELD) &&
           msg.message == message;
  };
  // The program has ended (its quit is queued), or the window is told to
  // close: by a close from outside, the window manager's close button, the
  // window menu's Close.
  if (waiting(nullptr, WM_QUIT) || waiting(window, WM_CLOSE) ||
      (waiting(window, WM_SYSCOMMAND) && (msg.wParam & 0xFFF0) == SC_CLOSE)) {
    return Queued::kClose;
  }
  // The mouse merely passing over the window is no act of the user's.
  if (HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0) return Queued::kInput;
  return Queued::kNothing;
}

CallFilter::CallFilter(Win32Window& window) : window_(window) {
  registered_ = SUCCEEDED(CoRegisterMessageFilter(this, &previous_));
}

CallFilter::~CallFilter() {
  Unwatch(INVALID_HANDLE_VALUE);
  if (!registered_) return;
  IMessageFilter* ours = nullptr;
  CoRegisterMessageFilter(previous_, &ours);
  if (previous_) previous_->Release();
}

HRESULT STDMETHODCALLTYPE CallFilter::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid != IID_IUnknown && iid != IID_IMessageFilter) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  *out = static_cast<IMessageFilter*>(this);
  return S_OK;
}

DWORD STDMETHODCALLTYPE CallFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
  return SERVERCALL_ISHANDLED;
}

// A call that the other process rejects as busy fails at once, as it does
// without a filter: the sweep passes that window over and tries again at its
// next tick, 60 ms later.
DWORD STDMETHODCALLTYPE CallFilter::RetryRejectedCall(HTASK, DWORD, DWORD) {
  return static_cast<DWORD>(-1);
}

// `wait`: INVALID_HANDLE_VALUE waits for a wake that is being posted,
// nullptr lets it finish on its own.
void CallFilter::Unwatch(HANDLE wait) {
  if (watch_) DeleteTimerQueueTimer(nullptr, watch_, wait);
  watch_ = nullptr;
}

DWORD STDMETHODCALLTYPE CallFilter::MessagePending(HTASK, DWORD tickCount, DWORD) {
  Unwatch(nullptr);
  // The wakes posted so far have done their work; a wait that never ends
  // would otherwise fill the queue with them. The program's quit comes out
  // whatever range is asked for: it goes back.
  MSG wake;
  while (PeekMessageW(&wake, window_.Hwnd(), kWakeMessage, kWakeMessage, PM_REMOVE | PM_NOYIELD)) {
    if (wake.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(wake.wParam));
      break;
    }
  }
  const WaitDecision decision = DecideWhileWaiting(tickCount, LookAtQueue(window_.Hwnd()));
  switch (decision.what) {
    case WhileWaiting::kEnd:
      window_.EndNow();
    case WhileWaiting::kCancel:
      return PENDINGMSG_CANCELCALL;
    case WhileWaiting::kWait:
      break;
  }
  if (!CreateTimerQueueTimer(&watch_, nullptr, &Wake, window_.Hwnd(), decision.askAgainMs, 0,
                             WT_EXECUTEINTIMERTHREAD | WT_EXECUTEONLYONCE)) {
    watch_ = nullptr;
  }
  return PENDINGMSG_WAITDEFPROCESS;
}

}  // namespace toolkit::win32
