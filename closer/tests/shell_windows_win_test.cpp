// The COM adapter under Wine, against in-process model shell objects that
// count their references: every path of a sweep lets go of all it took. The
// form runs on the headless toolkit, so that only the shell side is Win32.
#include "closer/shell_windows_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "closer/form1.h"
#include "closer/shell_windows_model.h"
#include "closer/tests/log_lines.h"
#include "toolkit/model/model_window.h"
#include "toolkit/tests/caption_fit_win.h"
#include "toolkit/win32/window_win.h"

namespace closer::win32 {
namespace {

using namespace closer::testing;

// Reference counts of objects that the test owns: the test's own reference is
// the first, so a release that would take the count below 1 is one too many.
struct RefCount {
  ULONG refs = 1;
  bool overReleased = false;
};

template <class... Interfaces>
class Counted : public RefCount, public Interfaces... {
 public:
  virtual ~Counted() = default;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (refs == 1) {
      overReleased = true;
      return 1;
    }
    return --refs;
  }

 protected:
  template <class Interface>
  HRESULT Hand(Interface* self, void** out) {
    *out = self;
    AddRef();
    return S_OK;
  }
};

// Methods the adapter never calls; each use ends with a semicolon of its own.
#define STUB(name, params)                         \
  HRESULT STDMETHODCALLTYPE name params override { \
    return E_NOTIMPL;                              \
  }                                                \
  static_assert(true)
#define DISPATCH_STUBS                                           \
  STUB(GetTypeInfoCount, (UINT*));                               \
  STUB(GetTypeInfo, (UINT, LCID, ITypeInfo**));                  \
  STUB(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*)); \
  STUB(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

// A document: HTML or not, or one that cannot even be asked.
class ComDocument final : public Counted<IDispatch> {
 public:
  explicit ComDocument(HRESULT htmlAnswer) : htmlAnswer_(htmlAnswer) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch) return Hand<IDispatch>(this, out);
    if (iid == kDispHtmlDocument)
      return SUCCEEDED(htmlAnswer_) ? Hand<IDispatch>(this, out) : htmlAnswer_;
    return E_NOINTERFACE;
  }
  DISPATCH_STUBS;

 private:
  HRESULT htmlAnswer_;
};

class ComBrowser final : public Counted<IWebBrowser2> {
 public:
  ComBrowser(std::wstring title, ComDocument* document)
      : title_(std::move(title)), document_(document) {}
  HRESULT documentHr = S_OK, titleHr = S_OK, addressHr = S_OK, programHr = S_OK, quitHr = S_OK;
  int quits = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser ||
        iid == IID_IWebBrowserApp || iid == IID_IWebBrowser2)
      return Hand<IWebBrowser2>(this, out);
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** out) override {
    *out = nullptr;
    if (FAILED(documentHr)) return documentHr;
    if (document_) {
      *out = document_;
      document_->AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* out) override {
    return Text(titleHr, title_, out);
  }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* out) override {
    return Text(addressHr, L"http://" + title_ + L".test/", out);
  }
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* out) override {
    return Text(programHr, L"C:\\iexplore.exe", out);
  }
  HRESULT STDMETHODCALLTYPE Quit() override { return FAILED(quitHr) ? quitHr : (++quits, S_OK); }
  DISPATCH_STUBS;
  // clang-format off
  STUB(GoBack, ()); STUB(GoForward, ()); STUB(GoHome, ()); STUB(GoSearch, ()); STUB(Refresh, ());
  STUB(Navigate, (BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*)); STUB(Refresh2, (VARIANT*));
  STUB(Stop, ()); STUB(get_Application, (IDispatch**)); STUB(get_Parent, (IDispatch**));
  STUB(get_Container, (IDispatch**)); STUB(get_TopLevelContainer, (VARIANT_BOOL*));
  STUB(get_Type, (BSTR*)); STUB(get_Left, (LONG*)); STUB(put_Left, (LONG)); STUB(get_Top, (LONG*));
  STUB(put_Top, (LONG)); STUB(get_Width, (LONG*)); STUB(put_Width, (LONG));
  STUB(get_Height, (LONG*)); STUB(put_Height, (LONG)); STUB(get_Busy, (VARIANT_BOOL*));
  STUB(ClientToWindow, (int*, int*)); STUB(PutProperty, (BSTR, VARIANT));
  STUB(GetProperty, (BSTR, VARIANT*)); STUB(get_Name, (BSTR*)); STUB(get_HWND, (SHANDLE_PTR*));
  STUB(get_Path, (BSTR*)); STUB(get_Visible, (VARIANT_BOOL*)); STUB(put_Visible, (VARIANT_BOOL));
  STUB(get_StatusBar, (VARIANT_BOOL*)); STUB(put_StatusBar, (VARIANT_BOOL));
  STUB(get_StatusText, (BSTR*)); STUB(put_StatusText, (BSTR)); STUB(get_ToolBar, (int*));
  STUB(put_ToolBar, (int)); STUB(get_MenuBar, (VARIANT_BOOL*)); STUB(put_MenuBar, (VARIANT_BOOL));
  STUB(get_FullScreen, (VARIANT_BOOL*)); STUB(put_FullScreen, (VARIANT_BOOL));
  STUB(Navigate2, (VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*));
  STUB(QueryStatusWB, (OLECMDID, OLECMDF*));
  STUB(ExecWB, (OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*));
  STUB(ShowBrowserBar, (VARIANT*, VARIANT*, VARIANT*)); STUB(get_ReadyState, (READYSTATE*));
  STUB(get_Offline, (VARIANT_BOOL*)); STUB(put_Offline, (VARIANT_BOOL));
  STUB(get_Silent, (VARIANT_BOOL*)); STUB(put_Silent, (VARIANT_BOOL));
  STUB(get_RegisterAsBrowser, (VARIANT_BOOL*)); STUB(put_RegisterAsBrowser, (VARIANT_BOOL));
  STUB(get_RegisterAsDropTarget, (VARIANT_BOOL*)); STUB(put_RegisterAsDropTarget, (VARIANT_BOOL));
  STUB(get_TheaterMode, (VARIANT_BOOL*)); STUB(put_TheaterMode, (VARIANT_BOOL));
  STUB(get_AddressBar, (VARIANT_BOOL*)); STUB(put_AddressBar, (VARIANT_BOOL));
  STUB(get_Resizable, (VARIANT_BOOL*)); STUB(put_Resizable, (VARIANT_BOOL));
  // clang-format on

 private:
  static HRESULT Text(HRESULT hr, const std::wstring& text, BSTR* out) {
    *out = nullptr;
    if (FAILED(hr)) return hr;
    // An empty value comes as a null BSTR, which is legal and means "".
    if (!text.empty()) *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
  }
  std::wstring title_;
  ComDocument* document_;
};

class ComEnum final : public Counted<IEnumVARIANT> {
 public:
  std::vector<IDispatch*> items;
  HRESULT nextHr = S_OK;
  size_t failAt = SIZE_MAX;  // Next fails with nextHr from this position on
  size_t position = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) return Hand<IEnumVARIANT>(this, out);
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (count != 1 || !fetched) return E_INVALIDARG;  // the adapter asks for one at a time
    *fetched = 0;
    if (position >= failAt) return nextHr;
    if (position == items.size()) return S_FALSE;
    out->vt = VT_DISPATCH;
    out->pdispVal = items[position++];
    out->pdispVal->AddRef();
    *fetched = 1;
    return S_OK;
  }
  STUB(Skip, (ULONG));
  STUB(Reset, ());
  STUB(Clone, (IEnumVARIANT**));
};

// Answers get_Count and Item as Wine's does: not implemented.
class ComShellWindows final : public Counted<IShellWindows> {
 public:
  ComEnum enumerator;
  HRESULT newEnumHr = S_OK;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IShellWindows)
      return Hand<IShellWindows>(this, out);
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** out) override {
    *out = nullptr;
    if (FAILED(newEnumHr)) return newEnumHr;
    enumerator.position = 0;
    *out = &enumerator;
    enumerator.AddRef();
    return S_OK;
  }
  DISPATCH_STUBS;
  // clang-format off
  STUB(get_Count, (LONG*)); STUB(Item, (VARIANT, IDispatch**));
  STUB(Register, (IDispatch*, LONG, int, LONG*));
  STUB(RegisterPending, (LONG, VARIANT*, VARIANT*, int, LONG*)); STUB(Revoke, (LONG));
  STUB(OnNavigate, (LONG, VARIANT*)); STUB(OnActivated, (LONG, VARIANT_BOOL));
  STUB(FindWindowSW, (VARIANT*, VARIANT*, int, LONG*, int, IDispatch**));
  STUB(OnCreated, (LONG, IUnknown*)); STUB(ProcessAttachDetach, (VARIANT_BOOL));
  // clang-format on
};

// Hands the form the collection of objects above.
class Shell final : public ShellWindows {
 public:
  explicit Shell(IShellWindows* windows) : windows_(windows) {}
  std::unique_ptr<ShellWindowCollection> Create() override { return WrapShellWindows(windows_); }

 private:
  IShellWindows* windows_;
};

struct NoLaunch final : ShellLaunch {
  void Open(toolkit::StringView) override {}
};

TEST(ComShellWindowsTest, ASweepLetsGoOfEveryReferenceItTook) {
  ComDocument html(S_OK), folder(E_NOINTERFACE), broken(RPC_E_DISCONNECTED);
  ComBrowser a(L"a", &html), view(L"C:", &folder), blank(L"blank", nullptr),
      unreadable(L"u", &html), untestable(L"t", &broken), b(L"", &html), c(L"c", &html);
  unreadable.documentHr = RPC_E_DISCONNECTED;
  b.addressHr = E_ACCESSDENIED;
  c.quitHr = E_FAIL;
  ComShellWindows windows;
  // The folder's document as an item of its own: no browser, passed over.
  windows.enumerator.items = {&a, &view, &blank, &folder, &unreadable, &untestable, &b, &c};
  const std::vector<const RefCount*> all = {&html, &folder, &broken,     &a,
                                            &view, &blank,  &unreadable, &untestable,
                                            &b,    &c,      &windows,    &windows.enumerator};

  {
    Shell shell(&windows);
    NoLaunch launch;
    toolkit::model::ModelWindow window{Form1::Design()};
    Form1 form{window, shell, launch};
    window.Load();
    for (int sweep = 0; sweep < 2; ++sweep) form.StartClosing();

    // b's address could not be read.
    const Lines once = Group(u"a") + Group(u"", {2}) + Group(u"c");
    EXPECT_EQ(Log(form), once + once);
    EXPECT_EQ(std::vector<int>({a.quits, view.quits, blank.quits, unreadable.quits,
                                untestable.quits, b.quits, c.quits}),
              std::vector<int>({2, 0, 0, 0, 0, 2, 0}));
    EXPECT_TRUE(window.Reports().empty());
    // An enumeration that breaks off ends the sweep, holding nothing.
    windows.enumerator.nextHr = E_OUTOFMEMORY;
    windows.enumerator.failAt = 1;
    form.StartClosing();
    EXPECT_EQ(Log(form), once + once + Group(u"a"));
    EXPECT_EQ(a.quits, 3);
    // Between sweeps only the collection is held.
    for (const RefCount* object : all) EXPECT_EQ(object->refs, object == &windows ? 2u : 1u);
  }
  for (const RefCount* object : all)
    EXPECT_EQ(std::make_pair(object->refs, object->overReleased), std::make_pair(1ul, false));
}

// The layout's twips were drawn for the 8-point dialog font: every caption
// of the window is whole in it, at 100 % and at 150 %.
TEST(Form1OnWin32Test, EveryCaptionFitsAtEveryScale) {
  model::ModelShellWindows shell;
  NoLaunch launch;
  toolkit::win32::Win32Window window(GetModuleHandleW(nullptr), Form1::Design());
  Form1 form(window, shell, launch);
  window.LoadAndShow();
  toolkit::testing::CheckCaptionsAtEveryScale(window.Hwnd());
}

}  // namespace
}  // namespace closer::win32
