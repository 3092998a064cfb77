#include "registrar/registration.h"

#include "registrar/registry_access.h"

namespace registrar {

void RegisterToolbarButton(Registry& registry, const ToolbarButtonRequest& request) {
  if (request.GuidText.empty()) return;
  // Taken as given: a backslash in the GUID text makes nested keys.
  const toolkit::String path = toolkit::String(kExtensionsKey) + u"\\" + request.GuidText;

  // A button once written stays as it is; a new one needs a new GUID.
  if (RegKeyExists(registry, request.Root, path)) return;
  UniqueKey key = CreateRegKey(registry, request.Root, path);
  if (!key) return;
  key.Close();
  // Reopened for the writes; if that fails the empty key stays.
  key = OpenRegKey(registry, request.Root, path);
  if (!key) return;

  // Each write's status is ignored on purpose: a value that fails must not
  // keep the others out of the key.
  const KeyHandle h = key.get();
  SetRegValue(registry, h, u"Exec", kRegSz, request.ExecPath);
  SetRegValue(registry, h, u"Icon", kRegSz, request.IconPath);
  SetRegValue(registry, h, u"HotIcon", kRegSz, request.IconPath);
  SetRegValue(registry, h, u"ButtonText", kRegSz, request.ButtonText);
  SetRegValue(registry, h, u"CLSID", kRegSz, kExecutableButtonClsid);
  SetRegValue(registry, h, u"Default Visible", kRegSz,
              request.DefaultVisible != 0 ? u"Yes" : u"No");
}

}  // namespace registrar
