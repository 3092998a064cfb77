#include "toolkit/win32/window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "toolkit/win32/accessibility_win.h"
#include "toolkit/win32/controls_win.h"
#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/module_win.h"
#include "toolkit/win32/wide.h"

namespace toolkit::win32 {

namespace {

constexpr wchar_t kClassName[] = L"ToolkitWindow";
constexpr int kFirstControlId = 1000;
constexpr UINT_PTR kFirstTimerId = 1;
constexpr UINT kDeferredMessage = WM_APP + 1;

RECT OuterRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi,
               const LaterFunctions& later) {
  RECT rect{0, 0, clientWidth, clientHeight};
  if (!later.adjustWindowRectExForDpi ||
      !later.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi)) {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return rect;
}

void RegisterWindowClass(HINSTANCE instance, LRESULT(CALLBACK* proc)(HWND, UINT, WPARAM, LPARAM)) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, kClassName, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) ThrowLastError("RegisterClassExW");
}

}  // namespace

// Per-monitor DPI exists only from Windows 10 1607; older systems get the
// system DPI, which is also the window's there.
UINT DpiOf(HWND hwnd, const LaterFunctions& later) {
  if (later.getDpiForWindow) {
    if (UINT dpi = later.getDpiForWindow(hwnd)) return dpi;
  }
  HDC dc = GetDC(hwnd);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(hwnd, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The dialog font the layout's twips were drawn for, at the window's scale:
// 8-point MS Shell Dlg 2, which is Tahoma on Windows 2000 and later and
// under Wine alike. (MS Shell Dlg is Microsoft Sans Serif on Windows, wider:
// "Executavel:" would be cut.) Its height is cut to whole pixels (10 at 96
// dpi, 16 at 144): at 11 pixels Tahoma's "Executavel:" is 3 pixels wider than
// its label. The system's message font is wider still.
HFONT DialogFont(UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(8 * dpi / 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  constexpr wchar_t kFace[] = L"MS Shell Dlg 2";
  static_assert(sizeof(kFace) <= sizeof(font.lfFaceName));
  std::copy(std::begin(kFace), std::end(kFace), font.lfFaceName);
  if (HFONT created = CreateFontIndirectW(&font)) return created;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

Win32Window::Win32Window(HINSTANCE instance, WindowDesign design, const LaterFunctions& later)
    : instance_(instance),
      design_(std::move(design)),
      later_(later),
      gate_(
          [this](const std::string& message) { ShowRunTimeError(hwnd_, design_.caption, message); },
          [this] { EndProgram(); }) {
  RegisterWindowClass(instance_, &Win32Window::Proc);
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (design_.minButton) style |= WS_MINIMIZEBOX;
  if (design_.maxButton) style |= WS_MAXIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  CreateWindowExW(exStyle, kClassName, ToWide(design_.caption).c_str(), style, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
  if (!hwnd_) ThrowLastError("CreateWindowExW (the window)");

  if (design_.iconResource != 0) {
    const auto load = [&](int size) {
      return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(design_.iconResource),
                                           IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    };
    bigIcon_.reset(load(GetSystemMetrics(SM_CXICON)));
    smallIcon_.reset(load(GetSystemMetrics(SM_CXSMICON)));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  }
  ApplyDpi(DpiOf(hwnd_, later_), nullptr);
}

Win32Window::~Win32Window() {
  timers_.clear();
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Win32Window::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  // No C++ exception may unwind through the system's code.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (const std::exception& e) {
    self->gate_.Fail(e.what());
  } catch (...) {
    self->gate_.Fail("Unknown run-time error");
  }
  return 0;
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (ControlBase* control = Find(reinterpret_cast<HWND>(lParam))) {
        control->OnCommand(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_TIMER: {
      const size_t index = wParam - kFirstTimerId;
      if (index < timers_.size()) {
        timers_[index]->OnTick();
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
      if (ControlBase* control = Find(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = control->OnColor(reinterpret_cast<HDC>(wParam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    case WM_SETCURSOR:
      if (ControlBase* control = Find(reinterpret_cast<HWND>(wParam));
          control && control->WantsHandCursor()) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // The default handling gives the focus to the window itself when it
      // comes back to the front, and Space or Enter would then do nothing:
      // the focused control is kept as the window goes, and given back
      // below. Still focused now: its WM_KILLFOCUS comes after this.
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) focus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      GiveFocusBack();
      return 0;
    case WM_SIZE:
      // Activated while still minimized (as Wine brings back a window that
      // the window manager restores), the window could not give the focus
      // to a control then: no child of a minimized window can take it.
      if (wParam != SIZE_MINIMIZED && GetFocus() == hwnd_) GiveFocusBack();
      break;
    case kDeferredMessage:
      if (ControlBase* control = Find(reinterpret_cast<HWND>(lParam))) control->OnDeferred();
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      // Closing the window ends the program. Inside a running handler, it
      // came in while the handler waits for another process (a page that
      // may never answer, as Windows' Task Manager sends it): it ends there.
      if (gate_.Running()) EndNow();
      gate_.Post([this] { EndProgram(); });
      return 0;
    case WM_ENDSESSION:
      // The process may be ended as soon as this returns: stop events now.
      if (wParam) EndProgram();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

HWND Win32Window::CreateChild(const wchar_t* className, DWORD style, DWORD exStyle,
                              const ControlDesign& design) {
  const int id = kFirstControlId + static_cast<int>(controls_.size());
  // Created in tab order, so the z-order is the tab order.
  HWND child = CreateWindowExW(
      exStyle, className, ToWide(design.caption).c_str(), style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
      hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  if (!child) ThrowLastError(("CreateWindowExW (" + design.name + ")").c_str());
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  const RECT r = PixelRect(design.rect);
  MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  return child;
}

template <class T>
T& Win32Window::Add(const wchar_t* className, DWORD style, DWORD exStyle,
                    const ControlDesign& design) {
  auto control = std::make_unique<T>(*this, CreateChild(className, style, exStyle, design), design);
  T& ref = *control;
  controls_.push_back(std::move(control));
  if (!design.accessibleName.empty()) AnnotateName(ref.Hwnd(), design.accessibleName);
  return ref;
}

ControlBase* Win32Window::Find(HWND child) const {
  if (!child || GetParent(child) != hwnd_) return nullptr;
  const auto index = static_cast<size_t>(GetDlgCtrlID(child) - kFirstControlId);
  return index < controls_.size() ? controls_[index].get() : nullptr;
}

// Every control but the second and later option buttons starts a group, so
// that the arrow keys move among the option buttons only.
Button& Win32Window::AddButton(const ControlDesign& d) {
  return Add<Win32Button>(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, d);
}

Label& Win32Window::AddLabel(const ControlDesign& d) {
  return Add<Win32Label>(L"STATIC", SS_LEFT | SS_NOTIFY | WS_GROUP, 0, d);
}

TextBox& Win32Window::AddTextBox(const ControlDesign& d) {
  auto& box = Add<Win32TextBox>(L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                                WS_EX_CLIENTEDGE, d);
  SendMessageW(box.Hwnd(), EM_SETLIMITTEXT, 0, 0);  // no 32K cap on what the user may paste
  return box;
}

ListBox& Win32Window::AddListBox(const ControlDesign& d) {
  return Add<Win32ListBox>(L"LISTBOX",
                           LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                           WS_EX_CLIENTEDGE, d);
}

OptionButton& Win32Window::AddOptionButton(const ControlDesign& d) {
  const DWORD group = options_.empty() ? WS_GROUP : 0;
  auto& option = Add<Win32OptionButton>(L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | group, 0, d);
  options_.push_back(option.Hwnd());
  return option;
}

CheckBox& Win32Window::AddCheckBox(const ControlDesign& d) {
  return Add<Win32CheckBox>(L"BUTTON", BS_3STATE | WS_TABSTOP | WS_GROUP, 0, d);
}

PictureBox& Win32Window::AddPictureBox(const ControlDesign& d) {
  return Add<Win32PictureBox>(L"STATIC", SS_LEFT | WS_BORDER | WS_GROUP, 0, d);
}

Timer& Win32Window::AddTimer(const std::string& /*name*/, unsigned intervalMs) {
  timers_.push_back(
      std::make_unique<Win32Timer>(*this, kFirstTimerId + timers_.size(), intervalMs));
  return *timers_.back();
}

void Win32Window::SelectOnly(HWND option) {
  for (HWND other : options_) {
    SendMessageW(other, BM_SETCHECK, other == option ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool Win32Window::PostDeferred(HWND control) {
  return hwnd_ && PostMessageW(hwnd_, kDeferredMessage, 0, reinterpret_cast<LPARAM>(control));
}

String Win32Window::ProgramFolder() const {
  const std::wstring path = ProgramPath();
  if (path.empty()) ThrowLastError("GetModuleFileNameW");
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return FromWide(path);
  // A drive's root keeps its separator ("C:\"), as the system writes it.
  const bool root = slash == 2 && path[1] == L':';
  return FromWide(path.substr(0, root ? slash + 1 : slash));
}

void Win32Window::EndProgram() {
  if (ended_) return;
  Quiesce();
  PostQuitMessage(0);
}

void Win32Window::EndNow() {
  Quiesce();
  // Not ExitProcess alone: the libraries' cleanup that it runs may wait for
  // a lock held by a thread it has already ended, such as the one carrying
  // the pending call. Nothing is left to save.
  TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);  // not reached
}

void Win32Window::Quiesce() {
  ended_ = true;
  gate_.Close();
  for (auto& timer : timers_) timer->Stop();
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Win32Window::LoadAndShow() {
  gate_.Deliver(onLoad);
  if (ended_ || !hwnd_) return;
  for (auto& control : controls_) control->BeforeShow();
  FindCoveredParts();
  if (design_.placement == Placement::kCenterScreen) {
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  GiveFocusBack();
}

// The window's focus belongs to one of its controls: the one kept when the
// window was last switched away from, unless it can no longer take it, else
// the first in tab order.
void Win32Window::GiveFocusBack() {
  const bool kept =
      focus_ && IsChild(hwnd_, focus_) && IsWindowVisible(focus_) && IsWindowEnabled(focus_);
  if (HWND target = kept ? focus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(target);
}

int Win32Window::RunMessageLoop() {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

void Win32Window::ApplyDpi(UINT dpi, const RECT* suggested) {
  dpi_ = dpi;
  // The controls get the new font before the old one is deleted.
  UniqueFont font(DialogFont(dpi));
  const auto style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE));
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const RECT outer = OuterRect(ToPixels(design_.clientWidth), ToPixels(design_.clientHeight),
                                 style, exStyle, dpi, later_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (auto& control : controls_) {
    const RECT r = PixelRect(control->Design().rect);
    SendMessageW(control->Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    MoveWindow(control->Hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  font_ = std::move(font);
  FindCoveredParts();
}

RECT Win32Window::PixelRect(const Rect& twips) const {
  return {ToPixels(twips.left), ToPixels(twips.top), ToPixels(twips.left) + ToPixels(twips.width),
          ToPixels(twips.top) + ToPixels(twips.height)};
}

void Win32Window::FindCoveredParts() {
  for (const auto& control : controls_) {
    const RECT own = PixelRect(control->Design().rect);
    std::vector<RECT> covered;
    for (const auto& other : controls_) {
      RECT overlap{};
      const RECT theirs = PixelRect(other->Design().rect);
      if (other == control || !IntersectRect(&overlap, &own, &theirs)) continue;
      OffsetRect(&overlap, -own.left, -own.top);
      covered.push_back(overlap);
    }
    control->SetCovered(std::move(covered));
  }
}

}  // namespace toolkit::win32
