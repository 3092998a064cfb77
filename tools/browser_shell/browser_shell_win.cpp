// BrowserShell.exe: a stand-in for the shell's collection of browser windows,
// for tests and demonstrations under Wine; never shipped. It serves the class
// ShellWindows out of process, as Explorer does, so every call of a client
// crosses processes. Each listed window is a real top-level window of this
// process that shows the title and address it was given and closes when told
// to quit, unless it plays a window that refuses.
//
// Wine's own desktop process also serves ShellWindows (with nothing listed),
// and COM hands out the class registered first, so this server registers its
// own class; the private Wine prefix maps ShellWindows to it (TreatAs).
// Calls arrive through the message loop of this process's one thread, as
// they do in the shell's.
//
// Windows are opened through the control window (class BrowserShellControl)
// with WM_COPYDATA: UTF-16 text "kind\ttitle\taddress", where kind is one of
// page, folder, none, later (a page after 300 ms), stubborn, notitle, nourl,
// nopath, slow (every call takes 200 ms), hung (no call returns until the
// window gets WM_USER once, or is closed), notbrowser (a listed item that is
// no browser: it answers neither IWebBrowser2 nor for a document), or several
// joined by '+'. The reply is the new window's handle. From a script:
// `BrowserShell.exe /open KIND TITLE URL` opens one in the running shell, and
// `BrowserShell.exe /count N` exits with the running shell's answer to WM_APP
// with `wParam` N (below).
//
// WM_APP to the control window answers, as `wParam` asks, how many
// references clients hold (0 documents, 1 enumerations, 2 browser references
// beyond the shell's own, 3 browsers closed but still referenced), 4 how
// many enumerations clients have begun (one a sweep), or 5 how many calls a
// hung window holds now.
#include <windows.h>
// windows.h first.
#include <exdisp.h>
#include <oleauto.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "toolkit/win32/handles_win.h"
#include "toolkit/win32/module_win.h"
#include "toolkit/win32/window_win.h"

namespace {

// Both from cmake/guids.cmake.
constexpr GUID kDispHtmlDocument = DISP_HTML_DOCUMENT_IID;
// The class this server registers; the private prefix treats ShellWindows as it.
constexpr GUID kTestShellWindows = TEST_SHELL_CLSID;
constexpr UINT_PTR kLaterTimer = 1;
// To the control window: show the demonstration's window and its button.
constexpr UINT kShowDemo = WM_APP + 1;

// What a window plays; "slow+stubborn" combines two.
enum Kind : unsigned {
  kPage = 0,
  kFolder = 1u << 0,
  kNone = 1u << 1,
  kLater = 1u << 2,
  kStubborn = 1u << 3,
  kNoTitle = 1u << 4,
  kNoUrl = 1u << 5,
  kNoPath = 1u << 6,
  kSlow = 1u << 7,
  kHung = 1u << 8,
  kNotBrowser = 1u << 9,
};

unsigned KindOf(const std::wstring& names) {
  static const std::pair<const wchar_t*, Kind> kinds[] = {
      {L"folder", kFolder},        {L"none", kNone},       {L"later", kLater},
      {L"stubborn", kStubborn},    {L"notitle", kNoTitle}, {L"nourl", kNoUrl},
      {L"nopath", kNoPath},        {L"slow", kSlow},       {L"hung", kHung},
      {L"notbrowser", kNotBrowser}};
  unsigned kind = kPage;
  for (size_t at = 0; at <= names.size();) {
    const size_t plus = std::min(names.find(L'+', at), names.size());
    for (const auto& [text, bit] : kinds) {
      if (names.compare(at, plus - at, text) == 0) kind |= bit;
    }
    at = plus + 1;
  }
  return kind;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// What QueryInterface gives: `self`, counted, when `offered`.
template <class Interface>
HRESULT Offer(Interface* self, bool offered, void** out) {
  if (!out) return E_POINTER;
  *out = offered ? self : nullptr;
  if (!offered) return E_NOINTERFACE;
  self->AddRef();
  return S_OK;
}

// The IDispatch part that none of these objects needs: calls go through the
// vtable, and the proxies are built from the registered type libraries.
#define NO_DISPATCH                                                                               \
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {                              \
    if (count) *count = 0;                                                                        \
    return S_OK;                                                                                  \
  }                                                                                               \
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {                       \
    return E_NOTIMPL;                                                                             \
  }                                                                                               \
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {      \
    return E_NOTIMPL;                                                                             \
  }                                                                                               \
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, \
                                   UINT*) override {                                              \
    return E_NOTIMPL;                                                                             \
  }

#define COUNTED                                      \
  ULONG STDMETHODCALLTYPE AddRef() override {        \
    return InterlockedIncrement(&refs_);             \
  }                                                  \
  ULONG STDMETHODCALLTYPE Release() override {       \
    const ULONG left = InterlockedDecrement(&refs_); \
    if (left == 0) delete this;                      \
    return left;                                     \
  }                                                  \
  LONG refs_ = 1;

// Objects alive that only clients keep alive.
LONG g_documents = 0, g_enumerations = 0, g_closedBrowsers = 0;
// Enumerations begun since the start.
LONG g_enumerationsBegun = 0;
// Calls that a hung window holds now.
LONG g_heldCalls = 0;

// A page or a folder view; only a page answers the HTML document interface.
class Document final : public IDispatch {
 public:
  explicit Document(bool html) : html_(html) { ++g_documents; }
  ~Document() { --g_documents; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Offer(static_cast<IDispatch*>(this),
                 iid == IID_IUnknown || iid == IID_IDispatch || (html_ && iid == kDispHtmlDocument),
                 out);
  }
  COUNTED
  NO_DISPATCH

 private:
  bool html_;
};

#define NOT_HERE(name, ...)                              \
  HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { \
    return E_NOTIMPL;                                    \
  }

class Browser final : public IWebBrowser2 {
 public:
  Browser(unsigned kind, std::wstring title, std::wstring url)
      : kind_(kind), title_(std::move(title)), url_(std::move(url)) {}
  ~Browser() {
    if (closed) --g_closedBrowsers;
  }
  LONG References() const { return refs_; }

  HWND window = nullptr;
  bool hasPage = false;
  bool closed = false;  // its window is gone

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    const bool browser = !(kind_ & kNotBrowser);
    return Offer(static_cast<IWebBrowser2*>(this),
                 iid == IID_IUnknown || iid == IID_IDispatch ||
                     (browser && (iid == IID_IWebBrowser || iid == IID_IWebBrowserApp ||
                                  iid == IID_IWebBrowser2)),
                 out);
  }
  COUNTED
  NO_DISPATCH

  const std::wstring& Title() const { return title_; }
  const std::wstring& Url() const { return url_; }

  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** out) override {
    if (!out) return E_POINTER;
    Wait();
    *out = nullptr;
    if (!window) return E_FAIL;
    if (kind_ & kFolder)
      *out = new Document(false);
    else if (hasPage)
      *out = new Document(true);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* out) override {
    Wait();
    return kind_ & kNoTitle ? E_FAIL : Text(title_, out);
  }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* out) override {
    Wait();
    return kind_ & kNoUrl ? E_FAIL : Text(url_, out);
  }
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* out) override {
    Wait();
    if (kind_ & kNoPath) return E_FAIL;
    return Text(toolkit::win32::ProgramPath(), out);
  }
  HRESULT STDMETHODCALLTYPE Quit() override {
    Wait();
    if (!window) return E_FAIL;
    // Like a browser, closes later and does not keep the caller waiting.
    if (!(kind_ & kStubborn)) PostMessageW(window, WM_CLOSE, 0, 0);
    return S_OK;
  }

  NOT_HERE(GoBack)
  NOT_HERE(GoForward)
  NOT_HERE(GoHome)
  NOT_HERE(GoSearch)
  NOT_HERE(Navigate, BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
  NOT_HERE(Refresh)
  NOT_HERE(Refresh2, VARIANT*)
  NOT_HERE(Stop)
  NOT_HERE(get_Application, IDispatch**)
  NOT_HERE(get_Parent, IDispatch**)
  NOT_HERE(get_Container, IDispatch**)
  NOT_HERE(get_TopLevelContainer, VARIANT_BOOL*)
  NOT_HERE(get_Type, BSTR*)
  NOT_HERE(get_Left, LONG*)
  NOT_HERE(put_Left, LONG)
  NOT_HERE(get_Top, LONG*)
  NOT_HERE(put_Top, LONG)
  NOT_HERE(get_Width, LONG*)
  NOT_HERE(put_Width, LONG)
  NOT_HERE(get_Height, LONG*)
  NOT_HERE(put_Height, LONG)
  NOT_HERE(get_Busy, VARIANT_BOOL*)
  NOT_HERE(ClientToWindow, int*, int*)
  NOT_HERE(PutProperty, BSTR, VARIANT)
  NOT_HERE(GetProperty, BSTR, VARIANT*)
  NOT_HERE(get_Name, BSTR*)
  NOT_HERE(get_HWND, SHANDLE_PTR*)
  NOT_HERE(get_Path, BSTR*)
  NOT_HERE(get_Visible, VARIANT_BOOL*)
  NOT_HERE(put_Visible, VARIANT_BOOL)
  NOT_HERE(get_StatusBar, VARIANT_BOOL*)
  NOT_HERE(put_StatusBar, VARIANT_BOOL)
  NOT_HERE(get_StatusText, BSTR*)
  NOT_HERE(put_StatusText, BSTR)
  NOT_HERE(get_ToolBar, int*)
  NOT_HERE(put_ToolBar, int)
  NOT_HERE(get_MenuBar, VARIANT_BOOL*)
  NOT_HERE(put_MenuBar, VARIANT_BOOL)
  NOT_HERE(get_FullScreen, VARIANT_BOOL*)
  NOT_HERE(put_FullScreen, VARIANT_BOOL)
  NOT_HERE(Navigate2, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
  NOT_HERE(QueryStatusWB, OLECMDID, OLECMDF*)
  NOT_HERE(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
  NOT_HERE(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*)
  NOT_HERE(get_ReadyState, READYSTATE*)
  NOT_HERE(get_Offline, VARIANT_BOOL*)
  NOT_HERE(put_Offline, VARIANT_BOOL)
  NOT_HERE(get_Silent, VARIANT_BOOL*)
  NOT_HERE(put_Silent, VARIANT_BOOL)
  NOT_HERE(get_RegisterAsBrowser, VARIANT_BOOL*)
  NOT_HERE(put_RegisterAsBrowser, VARIANT_BOOL)
  NOT_HERE(get_RegisterAsDropTarget, VARIANT_BOOL*)
  NOT_HERE(put_RegisterAsDropTarget, VARIANT_BOOL)
  NOT_HERE(get_TheaterMode, VARIANT_BOOL*)
  NOT_HERE(put_TheaterMode, VARIANT_BOOL)
  NOT_HERE(get_AddressBar, VARIANT_BOOL*)
  NOT_HERE(put_AddressBar, VARIANT_BOOL)
  NOT_HERE(get_Resizable, VARIANT_BOOL*)
  NOT_HERE(put_Resizable, VARIANT_BOOL)

 private:
  // A slow page answers after 200 ms; a hung one not until its window gets
  // WM_USER, as a page stuck in a script that is then stopped, or is closed.
  void Wait() {
    if (kind_ & kSlow) Sleep(200);
    MSG msg;
    if (kind_ & kHung) ++g_heldCalls;
    while (kind_ & kHung && window && GetMessageW(&msg, window, 0, 0) > 0 &&
           msg.message != WM_USER) {
      DispatchMessageW(&msg);
    }
    if (kind_ & kHung) --g_heldCalls;
    kind_ &= ~kHung;
  }

  unsigned kind_;
  std::wstring title_, url_;
};

// The open windows, in the order they were opened.
std::vector<Browser*> g_browsers;

// A snapshot of the windows open when the enumeration began.
class Enumeration final : public IEnumVARIANT {
 public:
  Enumeration() {
    ++g_enumerations;
    ++g_enumerationsBegun;
    for (Browser* b : g_browsers) {
      b->AddRef();
      items_.push_back(b);
    }
  }
  ~Enumeration() {
    --g_enumerations;
    for (Browser* b : items_) b->Release();
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Offer(static_cast<IEnumVARIANT*>(this), iid == IID_IUnknown || iid == IID_IEnumVARIANT,
                 out);
  }
  COUNTED
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
    ULONG given = 0;
    for (; given < count && next_ < items_.size(); ++given, ++next_) {
      VariantInit(&items[given]);
      items[given].vt = VT_DISPATCH;
      items[given].pdispVal = items_[next_];
      items_[next_]->AddRef();
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ = std::min(items_.size(), next_ + size_t{count});
    return next_ < items_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  NOT_HERE(Clone, IEnumVARIANT**)

 private:
  std::vector<Browser*> items_;
  size_t next_ = 0;
};

class Collection final : public IShellWindows {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Offer(static_cast<IShellWindows*>(this),
                 iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IShellWindows, out);
  }
  COUNTED
  NO_DISPATCH
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(g_browsers.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** out) override {
    if (!out) return E_POINTER;
    *out = new Enumeration;
    return S_OK;
  }
  NOT_HERE(Item, VARIANT, IDispatch**)
  NOT_HERE(Register, IDispatch*, LONG, int, LONG*)
  NOT_HERE(RegisterPending, LONG, VARIANT*, VARIANT*, int, LONG*)
  NOT_HERE(Revoke, LONG)
  NOT_HERE(OnNavigate, LONG, VARIANT*)
  NOT_HERE(OnActivated, LONG, VARIANT_BOOL)
  NOT_HERE(FindWindowSW, VARIANT*, VARIANT*, int, LONG*, int, IDispatch**)
  NOT_HERE(OnCreated, LONG, IUnknown*)
  NOT_HERE(ProcessAttachDetach, VARIANT_BOOL)
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Offer(static_cast<IClassFactory*>(this), iid == IID_IUnknown || iid == IID_IClassFactory,
                 out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    Collection* windows = new Collection;
    const HRESULT hr = windows->QueryInterface(iid, out);
    windows->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// The interfaces the shell's objects serve, but the class object's.
const GUID kServed[] = {IID_IUnknown,    IID_IDispatch,      IID_IShellWindows, IID_IEnumVARIANT,
                        IID_IWebBrowser, IID_IWebBrowserApp, IID_IWebBrowser2,  kDispHtmlDocument};

// Wine drops an interface from its RPC server when the last object serving it
// goes, and waits there for the calls on it in flight, which wait for this
// very thread: the shell deadlocked, and its client with it, under a busy
// host. One object that no client ever reaches, and that nothing counts, is
// exported for each interface the shell serves, for the shell's whole life.
class Keeper final : public IDispatch {
 public:
  // What COM itself asks for (IMarshal and the like) is refused, as by the
  // shell's other objects.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Offer(static_cast<IDispatch*>(this),
                 std::find(std::begin(kServed), std::end(kServed), iid) != std::end(kServed), out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  NO_DISPATCH
};

LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  auto* browser = reinterpret_cast<Browser*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_TIMER:
      if (browser && wp == kLaterTimer) {
        KillTimer(window, kLaterTimer);
        browser->hasPage = true;
        InvalidateRect(window, nullptr, TRUE);
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (browser) {
        RECT area;
        GetClientRect(window, &area);
        const std::wstring text = browser->hasPage ? browser->Title() + L"\n" + browser->Url()
                                                   : std::wstring(L"(no page)");
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_CENTER | DT_WORDBREAK);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      if (browser) {
        g_browsers.erase(std::remove(g_browsers.begin(), g_browsers.end(), browser),
                         g_browsers.end());
        browser->window = nullptr;
        browser->closed = true;
        ++g_closedBrowsers;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        browser->Release();
      }
      return 0;
  }
  return DefWindowProcW(window, message, wp, lp);
}

RECT WorkArea() {
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

HWND Open(const std::wstring& command) {
  const size_t tab1 = command.find(L'\t');
  const size_t tab2 = tab1 == std::wstring::npos ? tab1 : command.find(L'\t', tab1 + 1);
  if (tab2 == std::wstring::npos) return nullptr;
  const unsigned kind = KindOf(command.substr(0, tab1));
  auto* browser =
      new Browser(kind, command.substr(tab1 + 1, tab2 - tab1 - 1), command.substr(tab2 + 1));
  browser->hasPage = !(kind & (kNone | kLater | kFolder));
  // A title of any length is the page's; the window caption is cut short.
  const std::wstring caption = browser->Title().substr(0, 200);
  // A cascade at the top of the screen, above the centred Quorrin and right
  // of Brakkon at the top left, so that neither is hidden.
  static int opened = 0;
  const int offset = 24 * (opened++ % 8);
  const RECT work = WorkArea();
  // Never active: a window of the shell's that took the front from the
  // program under test (as Wine follows the window manager's focus, that can
  // come a while after it was shown) would take the press of a click with it.
  HWND window =
      CreateWindowExW(WS_EX_NOACTIVATE, L"TestBrowser", caption.c_str(), WS_OVERLAPPEDWINDOW,
                      (work.left + work.right) / 2 - 264 + offset, work.top + 20 + offset, 360, 160,
                      nullptr, nullptr, GetModuleHandleW(nullptr), browser);
  if (!window) {
    browser->Release();
    return nullptr;
  }
  ShowWindow(window, SW_SHOWNOACTIVATE);
  browser->window = window;
  g_browsers.push_back(browser);
  if (kind & kLater) SetTimer(window, kLaterTimer, 300, nullptr);
  return window;
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    const std::wstring command(static_cast<const wchar_t*>(data->lpData),
                               data->cbData / sizeof(wchar_t));
    return reinterpret_cast<LRESULT>(Open(command));
  }
  if (message == kShowDemo) {
    // At the left, half-way down: beside the centred Quorrin and below
    // Brakkon at the top left, not under either.
    if (!GetWindow(window, GW_CHILD)) {
      HWND button =
          CreateWindowExW(0, L"BUTTON", L"Open 5 pop-up windows", WS_CHILD | WS_VISIBLE, 10, 10,
                          230, 30, window, nullptr, GetModuleHandleW(nullptr), nullptr);
      // The programs' dialog font, not the system's fallback, as beside them.
      static toolkit::win32::UniqueFont font;
      font.reset(toolkit::win32::DialogFont(toolkit::win32::DpiOf(window)));
      SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
    const RECT work = WorkArea();
    RECT own{};
    GetWindowRect(window, &own);
    SetWindowPos(window, HWND_TOP, work.left, (work.top + work.bottom - (own.bottom - own.top)) / 2,
                 0, 0, SWP_NOSIZE);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return 0;
  }
  if (message == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    // The demonstration's button: a burst of pop-ups, as a hostile site opens them.
    static int count = 0;
    for (int i = 0; i < 5; ++i) {
      const std::wstring n = std::to_wstring(++count);
      Open(L"page\tPop-up " + n + L"\thttp://popup.example/" + n);
    }
    return 0;
  }
  if (message == WM_APP) {
    LONG extra = 0;
    for (const Browser* b : g_browsers) extra += b->References() - 1;
    const LONG counts[] = {g_documents,      g_enumerations,      extra,
                           g_closedBrowsers, g_enumerationsBegun, g_heldCalls};
    return wp < std::size(counts) ? counts[wp] : -1;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
  // With /demo the control window is shown, with a button for pop-ups.
  const bool demo = std::wstring(args) == L"/demo";
  // One shell at a time: COM may start one on demand while another is
  // being started by hand, and a client must find the windows it serves.
  // The Wine session has usually started one already: /demo then shows
  // that one's window.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const bool open = argc == 5 && std::wstring(argv[1]) == L"/open";
  const bool count = argc == 3 && std::wstring(argv[1]) == L"/count";
  CreateMutexW(nullptr, FALSE, L"BrowserShell");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (!demo && !open && !count) return 1;
    for (int i = 0; i < 100; ++i, Sleep(50)) {
      if (HWND running = FindWindowW(L"BrowserShellControl", nullptr)) {
        if (demo) PostMessageW(running, kShowDemo, 0, 0);
        if (count)
          return static_cast<int>(
              SendMessageW(running, WM_APP, std::wcstoul(argv[2], nullptr, 10), 0));
        if (!open) return 0;
        std::wstring command = std::wstring(argv[2]) + L"\t" + argv[3] + L"\t" + argv[4];
        COPYDATASTRUCT data{0, static_cast<DWORD>(command.size() * sizeof(wchar_t)),
                            command.data()};
        return SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) ? 0 : 1;
      }
    }
    return 1;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  static Factory factory;
  DWORD cookie = 0;
  if (FAILED(CoRegisterClassObject(kTestShellWindows, &factory, CLSCTX_LOCAL_SERVER,
                                   REGCLS_MULTIPLEUSE, &cookie))) {
    return 1;
  }
  // Each interface kept served (see Keeper); the class object is its own.
  static Keeper keeper;
  Microsoft::WRL::ComPtr<IStream> keep;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &keep))) return 1;
  HRESULT kept = CoMarshalInterface(keep.Get(), IID_IClassFactory, &factory, MSHCTX_LOCAL, nullptr,
                                    MSHLFLAGS_TABLESTRONG);
  for (const GUID& iid : kServed) {
    if (SUCCEEDED(kept)) {
      kept = CoMarshalInterface(keep.Get(), iid, &keeper, MSHCTX_LOCAL, nullptr,
                                MSHLFLAGS_TABLESTRONG);
    }
  }
  if (FAILED(kept)) return 1;
  WNDCLASSW browserClass{};
  browserClass.lpfnWndProc = BrowserProc;
  browserClass.hInstance = instance;
  browserClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  browserClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  browserClass.lpszClassName = L"TestBrowser";
  WNDCLASSW controlClass{};
  controlClass.lpfnWndProc = ControlProc;
  controlClass.hInstance = instance;
  controlClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // The dialog background of the programs' windows, shown beside them.
  controlClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  controlClass.lpszClassName = L"BrowserShellControl";
  if (!RegisterClassW(&browserClass) || !RegisterClassW(&controlClass)) return 1;
  // Made once the class is registered, so a client that finds it can use it.
  // Found by FindWindow, so it is a hidden top-level window, not message-only.
  HWND control = CreateWindowExW(WS_EX_NOACTIVATE, L"BrowserShellControl", L"BrowserShell",
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 260, 90, nullptr, nullptr, instance, nullptr);
  if (!control) return 1;
  if (demo) SendMessageW(control, kShowDemo, 0, 0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  keep->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  for (size_t i = 0; i <= std::size(kServed); ++i) CoReleaseMarshalData(keep.Get());
  CoRevokeClassObject(cookie);
  CoUninitialize();
  return 0;
}
