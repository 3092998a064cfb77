#pragma once
// The shell window collection through COM: ShellWindows, its enumerator and
// the browser windows it lists. COM must be initialised on the calling thread.
#include <windows.h>
// windows.h first.
#include <exdisp.h>
#include <wrl/client.h>

#include "closer/shell_windows.h"

namespace closer::win32 {

class ComShellWindows final : public ShellWindows {
 public:
  // CoCreateInstance of CLSID_ShellWindows for IShellWindows.
  std::unique_ptr<ShellWindowCollection> Create() override;
};

}  // namespace closer::win32
