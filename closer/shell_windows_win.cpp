#include "closer/shell_windows_win.h"

#include <oleauto.h>

#include <string>
#include <utility>

#include "toolkit/failure.h"
#include "toolkit/win32/errors_win.h"
#include "toolkit/win32/handles_win.h"
#include "toolkit/win32/wide.h"

namespace closer::win32 {

using Microsoft::WRL::ComPtr;
using toolkit::win32::ThrowIfFailed;

namespace {

using Bstr = toolkit::win32::UniqueHandle<BSTR, &SysFreeString>;

// DIID_DispHTMLDocument, from cmake/guids.cmake: MinGW's uuid library lacks it.
constexpr GUID kDispHtmlDocument = DISP_HTML_DOCUMENT_IID;

// A null BSTR is the empty text.
toolkit::String Text(const Bstr& text) {
  const BSTR value = text.get();
  return toolkit::win32::FromWide(std::wstring_view(value, value ? SysStringLen(value) : 0));
}

// Owns what a VARIANT holds; it stays where it was made.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  VARIANT* Receive() {
    VariantClear(&value_);
    return &value_;
  }
  // The object it holds, not counted; null when it holds none.
  IUnknown* Object() const {
    if (value_.vt == VT_DISPATCH) return value_.pdispVal;
    if (value_.vt == VT_UNKNOWN) return value_.punkVal;
    return nullptr;
  }

 private:
  VARIANT value_;
};

// What a collection's server that has gone answers with, for good: the
// object was disconnected, the server died, or it cannot be reached.
bool ServerGone(HRESULT hr) {
  switch (static_cast<unsigned long>(hr)) {
    case 0x80010108:  // RPC_E_DISCONNECTED
    case 0x80010007:  // RPC_E_SERVER_DIED
    case 0x80010012:  // RPC_E_SERVER_DIED_DNE
    case 0x800401FD:  // CO_E_OBJNOTCONNECTED
    case 0x800706BA:  // RPC_S_SERVER_UNAVAILABLE
      return true;
    default:
      return false;
  }
}

// ThrowIfFailed for a call on the collection or its enumeration.
void ThrowIfCollectionFailed(HRESULT hr, const char* call) {
  if (ServerGone(hr))
    throw ShellGone(toolkit::win32::FailureText(call, static_cast<unsigned long>(hr)), hr);
  ThrowIfFailed(hr, call);
}

class ComDocument final : public ShellDocument {
 public:
  explicit ComDocument(ComPtr<IDispatch> document) : document_(std::move(document)) {}
  bool IsHtml() override {
    ComPtr<IUnknown> html;
    const HRESULT hr = document_->QueryInterface(kDispHtmlDocument, &html);
    if (hr == E_NOINTERFACE) return false;
    ThrowIfFailed(hr, "QueryInterface(DispHTMLDocument)");
    return true;
  }

 private:
  ComPtr<IDispatch> document_;
};

class ComWindow final : public ShellWindow {
 public:
  explicit ComWindow(ComPtr<IWebBrowser2> browser) : browser_(std::move(browser)) {}
  std::unique_ptr<ShellDocument> Document() override {
    ComPtr<IDispatch> document;
    ThrowIfFailed(browser_->get_Document(&document), "IWebBrowser2::get_Document");
    if (!document) return nullptr;
    return std::make_unique<ComDocument>(std::move(document));
  }
  toolkit::String LocationName() override {
    return Read(&IWebBrowser2::get_LocationName, "IWebBrowser2::get_LocationName");
  }
  toolkit::String LocationURL() override {
    return Read(&IWebBrowser2::get_LocationURL, "IWebBrowser2::get_LocationURL");
  }
  toolkit::String FullName() override {
    return Read(&IWebBrowser2::get_FullName, "IWebBrowser2::get_FullName");
  }
  void Quit() override { ThrowIfFailed(browser_->Quit(), "IWebBrowser2::Quit"); }

 private:
  template <class Getter>
  toolkit::String Read(Getter get, const char* call) {
    Bstr text;
    ThrowIfFailed((browser_.Get()->*get)(text.put()), call);
    return Text(text);
  }

  ComPtr<IWebBrowser2> browser_;
};

class ComEnumeration final : public ShellWindowEnumeration {
 public:
  explicit ComEnumeration(ComPtr<IEnumVARIANT> items) : items_(std::move(items)) {}
  std::unique_ptr<ShellWindow> Next() override {
    for (;;) {
      Variant item;
      ULONG fetched = 0;
      const HRESULT hr = items_->Next(1, item.Receive(), &fetched);
      ThrowIfCollectionFailed(hr, "IEnumVARIANT::Next");
      if (hr != S_OK || fetched != 1) return nullptr;
      // An item that is no browser window offers nothing to act on.
      ComPtr<IWebBrowser2> browser;
      if (IUnknown* object = item.Object();
          object && SUCCEEDED(object->QueryInterface(IID_IWebBrowser2, &browser)) && browser) {
        return std::make_unique<ComWindow>(std::move(browser));
      }
    }
  }

 private:
  ComPtr<IEnumVARIANT> items_;
};

class ComCollection final : public ShellWindowCollection {
 public:
  explicit ComCollection(ComPtr<IShellWindows> windows) : windows_(std::move(windows)) {}
  std::unique_ptr<ShellWindowEnumeration> Enumerate() override {
    ComPtr<IUnknown> unknown;
    ThrowIfCollectionFailed(windows_->_NewEnum(&unknown), "IShellWindows::_NewEnum");
    if (!unknown) ThrowIfFailed(E_POINTER, "IShellWindows::_NewEnum");
    ComPtr<IEnumVARIANT> items;
    ThrowIfCollectionFailed(unknown->QueryInterface(IID_IEnumVARIANT, &items),
                            "QueryInterface(IEnumVARIANT)");
    return std::make_unique<ComEnumeration>(std::move(items));
  }

 private:
  ComPtr<IShellWindows> windows_;
};

}  // namespace

std::unique_ptr<ShellWindowCollection> ComShellWindows::Create() {
  ComPtr<IShellWindows> windows;
  ThrowIfFailed(
      CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows, &windows),
      "CoCreateInstance(ShellWindows)");
  if (!windows) ThrowIfFailed(E_POINTER, "CoCreateInstance(ShellWindows)");
  return std::make_unique<ComCollection>(std::move(windows));
}

}  // namespace closer::win32
