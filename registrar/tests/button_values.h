#pragma once
// The six values a complete registration asks for, empty ones included.
#include <map>

#include "registrar/registration.h"

namespace registrar::testing {

using Texts = std::map<toolkit::String, toolkit::String>;

inline Texts ButtonValues(const ToolbarButtonRequest& q) {
  return {{u"Exec", q.ExecPath},
          {u"Icon", q.IconPath},
          {u"HotIcon", q.IconPath},
          {u"ButtonText", q.ButtonText},
          {u"CLSID", u"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
          {u"Default Visible", q.DefaultVisible != 0 ? u"Yes" : u"No"}};
}

}  // namespace registrar::testing
