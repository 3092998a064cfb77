#pragma once
// The registrar's four registry functions. Each boils the registry's outcome
// down to an owned key (empty when there is none), a truth value or a status;
// none of them reports or throws anything.
#include "registrar/registry.h"
#include "toolkit/string.h"

namespace registrar {

// Creates the key, or opens it when it is already there, asking for
// kKeyAccess. The status is not looked at: what counts is whether a handle
// came back.
UniqueKey CreateRegKey(Registry& registry, KeyHandle root, const toolkit::String& sub_key);

// Opens an existing key with kKeyAccess; empty on any failure.
UniqueKey OpenRegKey(Registry& registry, KeyHandle root, const toolkit::String& sub_key);

// A key exists for the registrar only when it can be opened with kKeyAccess;
// a key that denies those rights counts as absent. Leaves no handle open.
bool RegKeyExists(Registry& registry, KeyHandle root, const toolkit::String& sub_key);

// Writes `data` as a NUL-terminated UTF-16 string of the given type. Empty
// data is not written at all and gives 0, like a successful write.
Status SetRegValue(Registry& registry, KeyHandle key, const toolkit::String& name, ValueType type,
                   const toolkit::String& data);

}  // namespace registrar
