#pragma once
// An in-memory registry for tests: two roots (HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE), a tree of keys holding values, keys that grant only
// some rights, and calls that fail on demand. Every value keeps the exact
// bytes it was given, so that a wrong size shows (the real registry
// under Wine quietly mends a missing terminator). Key and value names compare
// exactly; Windows folds case, and nothing here depends on that.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "registrar/registry.h"
#include "toolkit/string.h"

namespace registrar::model {

inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorInvalidParameter = 87;

enum class Operation { CreateKey, OpenKey, SetValue, CloseKey };

struct StoredValue {
  ValueType type = 0;
  std::vector<std::byte> data;  // exactly the size that was passed
  bool operator==(const StoredValue&) const = default;
};

using Values = std::map<toolkit::String, StoredValue>;

// One call as the model saw it: the sub-key path or the value name it was
// given, the rights it asked for (0 for a value or a close), and what it
// answered.
struct Call {
  Operation operation;
  toolkit::String name;
  AccessMask access;
  Status status;
  bool operator==(const Call&) const = default;
};

class ModelRegistry : public Registry {
 public:
  Status CreateKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                   KeyHandle& key) override;
  Status OpenKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                 KeyHandle& key) override;
  Status SetValue(KeyHandle key, const toolkit::String& name, ValueType type, const std::byte* data,
                  std::uint32_t size) override;
  Status CloseKey(KeyHandle key) override;

  // Set-up. The key (and its parents) is made when missing. As in the
  // registry, a key opens only when it grants every right asked for, and
  // takes new sub-keys only when it grants kKeyCreateSubKey.
  void GrantOnly(KeyHandle root, const toolkit::String& path, AccessMask granted);
  void PutValue(KeyHandle root, const toolkit::String& path, const toolkit::String& name,
                StoredValue value);
  // The nth call (from 1) of an operation answers `status` and does nothing.
  void FailCall(Operation operation, int nth, Status status);

  // Inspection.
  bool HasKey(KeyHandle root, const toolkit::String& path) const;
  std::optional<Values> ValuesOf(KeyHandle root, const toolkit::String& path) const;
  std::size_t OpenHandles() const { return handles_.size(); }
  const std::vector<Call>& Calls() const { return calls_; }

  struct Key {
    std::map<toolkit::String, Key> children;
    Values values;
    AccessMask granted = ~AccessMask{0};
    bool operator==(const Key&) const = default;
  };
  // Both hives as a tree, for comparing everything before and after.
  std::map<KeyHandle, Key> Snapshot() const { return roots_; }

 private:
  struct OpenKeyRecord {
    Key* key;
    AccessMask access;
  };
  struct InjectedFailure {
    Operation operation;
    int nth;
    Status status;
  };

  std::optional<Status> Injected(Operation operation);
  Status Record(Operation operation, const toolkit::String& name, Status status,
                AccessMask access = 0);
  Key* Parent(KeyHandle handle);
  const Key* Find(KeyHandle root, const toolkit::String& path) const;
  Key& Make(KeyHandle root, const toolkit::String& path);
  KeyHandle Issue(Key& key, AccessMask access);

  std::map<KeyHandle, Key> roots_{{kHkeyCurrentUser, {}}, {kHkeyLocalMachine, {}}};
  std::map<KeyHandle, OpenKeyRecord> handles_;
  KeyHandle next_handle_ = 0x100;
  std::vector<InjectedFailure> failures_;
  std::map<Operation, int> counts_;
  std::vector<Call> calls_;
};

}  // namespace registrar::model
