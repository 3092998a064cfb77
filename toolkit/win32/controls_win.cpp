#include "toolkit/win32/controls_win.h"

#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/wide.h"

namespace toolkit::win32 {

namespace {

WNDPROC staticProc = nullptr;  // the system's, the same for every static control

// Where the focus rectangle goes: around the text, as the static draws it.
RECT TextRect(HWND label, HDC dc) {
  RECT client{};
  GetClientRect(label, &client);
  wchar_t text[512];
  const int length = GetWindowTextW(label, text, 512);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT r = client;
  DrawTextW(dc, text, length, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(dc, old);
  r.right += 1;  // clear of the last glyph
  r.bottom += 1;
  IntersectRect(&r, &r, &client);
  return r;
}

// A clickable label is a link to the keyboard as well: the focus shows
// around its text, and Space or Enter (once a press, however long it is
// held) clicks it as the mouse does, through the same notification.
LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      const LRESULT code = CallWindowProcW(staticProc, hwnd, message, wParam, lParam);
      // Enter comes here rather than to the dialog manager's default button.
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      return msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN ? code | DLGC_WANTMESSAGE
                                                                           : code;
    }
    case WM_KEYDOWN:
      if ((wParam == VK_SPACE || wParam == VK_RETURN) && !(lParam & (1 << 30))) {
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_PAINT: {
      // The focus rectangle is drawn into the same painting as the text, so
      // that it is never inverted twice over.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      CallWindowProcW(staticProc, hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      if (GetFocus() == hwnd) {
        const RECT r = TextRect(hwnd, dc);
        DrawFocusRect(dc, &r);
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
    default:
      break;
  }
  return CallWindowProcW(staticProc, hwnd, message, wParam, lParam);
}

}  // namespace

String ControlBase::ReadText() const {
  const int length = GetWindowTextLengthW(hwnd_);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return FromWide(text);
}

void ControlBase::WriteText(StringView text) {
  if (!SetWindowTextW(hwnd_, ToWide(text).c_str())) ThrowLastError("setting a control's text");
}

void ControlBase::Deliver(const Handler& handler) {
  owner_.Gate().Post(handler);
}

void Win32Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) Deliver(onClick);
}

void Win32Label::SetForeColor(Color color) {
  color_ = color;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32Label::BeforeShow() {
  if (!onClick) return;
  // In its place in tab order, as the window's controls are created in it.
  SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) | WS_TABSTOP);
  staticProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkProc)));
}

void Win32Label::OnCommand(WORD code) {
  if (code == STN_CLICKED) Deliver(onClick);
}

HBRUSH Win32Label::OnColor(HDC dc) {
  // A label's rectangle may reach a pixel into the box below it. It paints
  // around what covers it, so that the box's border stays whole whichever of
  // the two paints last. Excluded here, in the label's own painting: a
  // static control draws through its parent's clipping, not its own.
  for (const RECT& r : covered_) ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  SetTextColor(dc, RGB(color_.red, color_.green, color_.blue));
  SetBkMode(dc, TRANSPARENT);
  return GetSysColorBrush(COLOR_BTNFACE);
}

bool Win32TextBox::Locked() const {
  return (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0;
}

void Win32TextBox::SetLocked(bool locked) {
  if (!Send(EM_SETREADONLY, locked ? TRUE : FALSE)) ThrowLastError("locking a text box");
}

void Win32ListBox::AddLine(const String& line) {
  // Each visible append would redraw the scroll bar at once, which makes a
  // long log crawl; lines added by one handler are painted once, after it.
  if (!redrawPending_) {
    Send(WM_SETREDRAW, FALSE);
    redrawPending_ = owner_.PostDeferred(hwnd_);
    if (!redrawPending_) Send(WM_SETREDRAW, TRUE);
  }
  const std::wstring text = ToWide(line);
  const LRESULT index = Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index == LB_ERR || index == LB_ERRSPACE) {
    throw Failure("Out of memory adding a line", kOutOfMemory);
  }
}

void Win32ListBox::OnDeferred() {
  redrawPending_ = false;
  Send(WM_SETREDRAW, TRUE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void Win32ListBox::Clear() {
  Send(LB_RESETCONTENT);
}

int Win32ListBox::Count() const {
  const LRESULT count = Send(LB_GETCOUNT);
  if (count == LB_ERR) throw Failure("reading the line count failed");
  return static_cast<int>(count);
}

String Win32ListBox::LineAt(int index) const {
  const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const LRESULT copied =
      Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (length == LB_ERR || copied == LB_ERR) throw Failure("reading a line failed");
  text.resize(static_cast<size_t>(copied));
  return FromWide(text);
}

String Win32ListBox::SelectedText() const {
  const LRESULT index = Send(LB_GETCURSEL);
  return index == LB_ERR ? String() : LineAt(static_cast<int>(index));
}

void Win32ListBox::OnCommand(WORD code) {
  if (code == LBN_SELCHANGE) Deliver(onClick);
}

bool Win32OptionButton::Selected() const {
  return Send(BM_GETCHECK) == BST_CHECKED;
}

void Win32OptionButton::SetSelected(bool selected) {
  if (selected) {
    owner_.SelectOnly(hwnd_);
  } else {
    Send(BM_SETCHECK, BST_UNCHECKED);
  }
}

void Win32OptionButton::OnCommand(WORD code) {
  // The system keeps a radio group only among neighbours in tab order; the
  // toolkit's group is every option button of the window.
  if (code == BN_CLICKED) owner_.SelectOnly(hwnd_);
}

int Win32CheckBox::State() const {
  switch (Send(BM_GETCHECK)) {
    case BST_CHECKED:
      return kChecked;
    case BST_INDETERMINATE:
      return kGrayed;
    default:
      return kUnchecked;
  }
}

void Win32CheckBox::ApplyState(int state) {
  static constexpr WPARAM kChecks[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
  Send(BM_SETCHECK, kChecks[state]);
}

void Win32CheckBox::OnCommand(WORD code) {
  // A user's click toggles between clear and checked; grayed is for code.
  if (code == BN_CLICKED) SetState(State() == kChecked ? kUnchecked : kChecked);
}

int Win32PictureBox::BorderStyle() const {
  return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_BORDER) ? 1 : 0;
}

void Win32PictureBox::ApplyBorderStyle(int style) {
  LONG bits = GetWindowLongW(hwnd_, GWL_STYLE);
  bits = style ? (bits | WS_BORDER) : (bits & ~static_cast<LONG>(WS_BORDER));
  SetWindowLongW(hwnd_, GWL_STYLE, bits);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

Win32Timer::~Win32Timer() {
  Stop();
}

void Win32Timer::SetEnabled(bool enabled) {
  enabled = enabled && !owner_.Ended();
  // SetTimer would restart the countdown: a timer switched on at every tick
  // would then tick late by however long each tick took.
  if (enabled && enabled_) return;
  enabled_ = enabled;
  Apply();
}

void Win32Timer::SetInterval(unsigned milliseconds) {
  interval_ = milliseconds;
  Apply();
}

void Win32Timer::Apply() {
  // An interval of 0 keeps the timer silent even while enabled.
  if (enabled_ && interval_ > 0) {
    if (!SetTimer(owner_.Hwnd(), id_, interval_, nullptr)) {
      enabled_ = false;  // a timer that does not run does not say it is on
      ThrowLastError("starting a timer");
    }
  } else {
    KillTimer(owner_.Hwnd(), id_);
  }
}

void Win32Timer::OnTick() {
  if (enabled_) owner_.Gate().Deliver(onTick);
}

void Win32Timer::Stop() {
  enabled_ = false;
  if (owner_.Hwnd()) KillTimer(owner_.Hwnd(), id_);
}

}  // namespace toolkit::win32
