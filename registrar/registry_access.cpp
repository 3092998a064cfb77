#include "registrar/registry_access.h"

#include <utility>

namespace registrar {

UniqueKey CreateRegKey(Registry& registry, KeyHandle root, const toolkit::String& sub_key) {
  KeyHandle key = kNoKey;
  registry.CreateKey(root, sub_key, kKeyAccess, key);
  return UniqueKey(registry, key);
}

UniqueKey OpenRegKey(Registry& registry, KeyHandle root, const toolkit::String& sub_key) {
  KeyHandle key = kNoKey;
  if (registry.OpenKey(root, sub_key, kKeyAccess, key) != kSuccess) return UniqueKey();
  return UniqueKey(registry, key);
}

bool RegKeyExists(Registry& registry, KeyHandle root, const toolkit::String& sub_key) {
  return static_cast<bool>(OpenRegKey(registry, root, sub_key));
}

Status SetRegValue(Registry& registry, KeyHandle key, const toolkit::String& name, ValueType type,
                   const toolkit::String& data) {
  if (data.empty()) return kSuccess;
  // REG_SZ counts bytes, and the terminating NUL with them; c_str() supplies it.
  const auto size = static_cast<std::uint32_t>((data.size() + 1) * sizeof(char16_t));
  return registry.SetValue(key, name, type, reinterpret_cast<const std::byte*>(data.c_str()), size);
}

}  // namespace registrar
