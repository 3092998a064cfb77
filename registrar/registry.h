#pragma once
// The four registry operations the registrar needs, with the arguments and
// results of the registry's own functions, so that the logic runs unchanged
// on the real registry (registry_win) and on an in-memory one (registry_model).
#include <cstddef>
#include <cstdint>
#include <utility>

#include "toolkit/string.h"

namespace registrar {

// An open key or a predefined root; 0 means that there is no key.
using KeyHandle = std::uintptr_t;
// The registry's status code; 0 (ERROR_SUCCESS) is success.
using Status = std::int32_t;
using AccessMask = std::uint32_t;
using ValueType = std::uint32_t;

inline constexpr KeyHandle kNoKey = 0;
inline constexpr KeyHandle kHkeyCurrentUser = 0x80000001;
inline constexpr KeyHandle kHkeyLocalMachine = 0x80000002;

inline constexpr Status kSuccess = 0;

inline constexpr AccessMask kKeyQueryValue = 0x1;
inline constexpr AccessMask kKeySetValue = 0x2;
inline constexpr AccessMask kKeyCreateSubKey = 0x4;
// The six specific key rights and no standard rights: what the registrar
// asks for whenever it creates or opens a key.
inline constexpr AccessMask kKeyAccess = 0x3F;

inline constexpr ValueType kRegSz = 1;

class Registry {
 public:
  virtual ~Registry() = default;

  // RegCreateKeyEx: creates the key and any missing parents, or opens the
  // existing one. `key` receives the handle, and stays 0 when there is none.
  virtual Status CreateKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                           KeyHandle& key) = 0;
  // RegOpenKeyEx: opens an existing key when `access` is granted.
  virtual Status OpenKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                         KeyHandle& key) = 0;
  // RegSetValueEx: stores `size` bytes from `data` under `name`.
  virtual Status SetValue(KeyHandle key, const toolkit::String& name, ValueType type,
                          const std::byte* data, std::uint32_t size) = 0;
  // RegCloseKey.
  virtual Status CloseKey(KeyHandle key) = 0;
};

// Owns one open key and closes it through its registry; move-only, so that a
// handle is closed exactly once.
class UniqueKey {
 public:
  UniqueKey() = default;
  UniqueKey(Registry& registry, KeyHandle key) : registry_(&registry), key_(key) {}
  UniqueKey(UniqueKey&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, kNoKey)) {}
  UniqueKey& operator=(UniqueKey&& other) noexcept {
    if (this != &other) {
      Close();
      registry_ = other.registry_;
      key_ = std::exchange(other.key_, kNoKey);
    }
    return *this;
  }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  ~UniqueKey() { Close(); }

  KeyHandle get() const { return key_; }
  explicit operator bool() const { return key_ != kNoKey; }
  // Closes the key now; the owner is empty afterwards.
  void Close() noexcept {
    if (key_ != kNoKey && registry_ != nullptr) registry_->CloseKey(key_);
    key_ = kNoKey;
  }

 private:
  Registry* registry_ = nullptr;
  KeyHandle key_ = kNoKey;
};

}  // namespace registrar
