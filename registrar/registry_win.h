#pragma once
// The registry interface on the real Windows registry (advapi32, wide entry
// points). Statuses are passed through unchanged.
#include "registrar/registry.h"

namespace registrar::win32 {

class Win32Registry : public Registry {
 public:
  Status CreateKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                   KeyHandle& key) override;
  Status OpenKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                 KeyHandle& key) override;
  Status SetValue(KeyHandle key, const toolkit::String& name, ValueType type, const std::byte* data,
                  std::uint32_t size) override;
  Status CloseKey(KeyHandle key) override;
};

}  // namespace registrar::win32
