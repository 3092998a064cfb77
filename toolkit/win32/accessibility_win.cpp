#include "toolkit/win32/accessibility_win.h"

#include <oleacc.h>

#include "toolkit/win32/wide.h"

namespace toolkit::win32 {

namespace {

// Defined here: MinGW's libraries lack them (cmake/guids.cmake).
constexpr GUID kAccPropServicesClsid = ACC_PROP_SERVICES_CLSID;
constexpr GUID kAccPropServicesIid = ACC_PROP_SERVICES_IID;
constexpr GUID kAccNamePropId = ACC_NAME_PROPID;

}  // namespace

void AnnotateName(HWND control, StringView name) {
  // Made and let go for each control: nothing is held that could outlive
  // the program's COM.
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(kAccPropServicesClsid, nullptr, CLSCTX_INPROC_SERVER,
                              kAccPropServicesIid, reinterpret_cast<void**>(&services))) ||
      !services) {
    return;
  }
  // The control's own object, as the standard proxies serve it.
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAccNamePropId,
                           ToWide(name).c_str());
  services->Release();
}

}  // namespace toolkit::win32
