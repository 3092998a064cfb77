#pragma once
// Registration of one Internet Explorer toolbar button: a key named after a
// GUID under the browser's Extensions key, holding six string values.
#include "registrar/registry.h"
#include "toolkit/string.h"

namespace registrar {

// What the window hands over at the moment of the click.
struct ToolbarButtonRequest {
  KeyHandle Root = kHkeyCurrentUser;  // kHkeyCurrentUser or kHkeyLocalMachine
  toolkit::String GuidText;           // name of the extension key
  toolkit::String ExecPath;           // program the button starts
  toolkit::String IconPath;           // used for both "Icon" and "HotIcon"
  toolkit::String ButtonText;
  int DefaultVisible = 1;  // check state: 0 clear, 1 checked, 2 grayed
};

inline constexpr char16_t kExtensionsKey[] = u"Software\\Microsoft\\Internet Explorer\\Extensions";
// The class that makes Internet Explorer run a program from a toolbar button.
inline constexpr char16_t kExecutableButtonClsid[] = u"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}";

// Writes the key once. An empty GUID text, an existing key, or a key that
// cannot be created or reopened ends it quietly; failed value writes are not
// looked at. Nothing is reported and nothing is thrown.
void RegisterToolbarButton(Registry& registry, const ToolbarButtonRequest& request);

}  // namespace registrar
