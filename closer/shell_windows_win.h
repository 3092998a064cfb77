#pragma once
// The shell window collection through COM: ShellWindows, its enumerator and
// the browser windows it lists. COM must be initialised on the calling thread.
#include <windows.h>
// windows.h first.
#include <exdisp.h>
#include <wrl/client.h>

#include "closer/shell_windows.h"

namespace closer::win32 {

// DIID_DispHTMLDocument; MinGW's uuid library does not carry it.
inline constexpr GUID kDispHtmlDocument = {
    0x3050f55f, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

class ComShellWindows final : public ShellWindows {
 public:
  // CoCreateInstance of CLSID_ShellWindows for IShellWindows.
  std::unique_ptr<ShellWindowCollection> Create() override;
};

// A collection over an IShellWindows the caller already holds.
std::unique_ptr<ShellWindowCollection> WrapShellWindows(
    Microsoft::WRL::ComPtr<IShellWindows> windows);

}  // namespace closer::win32
