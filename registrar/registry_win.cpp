#include "registrar/registry_win.h"

#include <windows.h>

#include <string>

#include "toolkit/win32/wide.h"

namespace registrar::win32 {

namespace {

using toolkit::win32::ToWide;

HKEY ToHkey(KeyHandle key) {
  // The predefined roots are sign-extended constants in the Windows headers.
  if (key == kHkeyCurrentUser) return HKEY_CURRENT_USER;
  if (key == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(key);
}

KeyHandle FromHkey(HKEY key) {
  return reinterpret_cast<KeyHandle>(key);
}

}  // namespace

Status Win32Registry::CreateKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                                KeyHandle& key) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG status =
      RegCreateKeyExW(ToHkey(root), ToWide(sub_key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      access, nullptr, &created, &disposition);
  key = FromHkey(created);
  return status;
}

Status Win32Registry::OpenKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                              KeyHandle& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExW(ToHkey(root), ToWide(sub_key).c_str(), 0, access, &opened);
  key = FromHkey(opened);
  return status;
}

Status Win32Registry::SetValue(KeyHandle key, const toolkit::String& name, ValueType type,
                               const std::byte* data, std::uint32_t size) {
  return RegSetValueExW(ToHkey(key), ToWide(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data), size);
}

Status Win32Registry::CloseKey(KeyHandle key) {
  return RegCloseKey(ToHkey(key));
}

}  // namespace registrar::win32
