#include "registrar/registry_model.h"

#include <stdexcept>

namespace registrar::model {

namespace {

// The names along a path; nullopt when a name is empty (a leading, trailing
// or doubled backslash), which the registry refuses.
std::optional<std::vector<toolkit::String>> Split(const toolkit::String& path) {
  std::vector<toolkit::String> names;
  if (path.empty()) return names;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find(u'\\', start);
    names.push_back(path.substr(start, end - start));
    if (names.back().empty()) return std::nullopt;
    if (end == toolkit::String::npos) return names;
    start = end + 1;
  }
}

}  // namespace

std::optional<Status> ModelRegistry::Injected(Operation operation) {
  const int count = ++counts_[operation];
  for (const InjectedFailure& failure : failures_) {
    if (failure.operation == operation && failure.nth == count) {
      return failure.status;
    }
  }
  return std::nullopt;
}

Status ModelRegistry::Record(Operation operation, const toolkit::String& name, Status status,
                             AccessMask access) {
  calls_.push_back({operation, name, access, status});
  return status;
}

ModelRegistry::Key* ModelRegistry::Parent(KeyHandle handle) {
  if (auto root = roots_.find(handle); root != roots_.end()) return &root->second;
  if (auto open = handles_.find(handle); open != handles_.end()) return open->second.key;
  return nullptr;
}

KeyHandle ModelRegistry::Issue(Key& key, AccessMask access) {
  const KeyHandle handle = next_handle_++;
  handles_[handle] = {&key, access};
  return handle;
}

Status ModelRegistry::CreateKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                                KeyHandle& key) {
  key = kNoKey;
  if (auto status = Injected(Operation::CreateKey)) {
    return Record(Operation::CreateKey, sub_key, *status, access);
  }
  Key* current = Parent(root);
  if (current == nullptr) return Record(Operation::CreateKey, sub_key, kErrorInvalidHandle, access);
  const auto names = Split(sub_key);
  if (!names) return Record(Operation::CreateKey, sub_key, kErrorInvalidParameter, access);
  for (const toolkit::String& name : *names) {
    auto child = current->children.find(name);
    if (child == current->children.end()) {
      if (!(current->granted & kKeyCreateSubKey)) {
        return Record(Operation::CreateKey, sub_key, kErrorAccessDenied, access);
      }
      child = current->children.emplace(name, Key{}).first;
    }
    current = &child->second;
  }
  if ((access & ~current->granted) != 0)
    return Record(Operation::CreateKey, sub_key, kErrorAccessDenied, access);
  key = Issue(*current, access);
  return Record(Operation::CreateKey, sub_key, kSuccess, access);
}

Status ModelRegistry::OpenKey(KeyHandle root, const toolkit::String& sub_key, AccessMask access,
                              KeyHandle& key) {
  key = kNoKey;
  if (auto status = Injected(Operation::OpenKey)) {
    return Record(Operation::OpenKey, sub_key, *status, access);
  }
  Key* current = Parent(root);
  if (current == nullptr) return Record(Operation::OpenKey, sub_key, kErrorInvalidHandle, access);
  const auto names = Split(sub_key);
  if (!names) return Record(Operation::OpenKey, sub_key, kErrorInvalidParameter, access);
  for (const toolkit::String& name : *names) {
    auto child = current->children.find(name);
    if (child == current->children.end()) {
      return Record(Operation::OpenKey, sub_key, kErrorFileNotFound, access);
    }
    current = &child->second;
  }
  if ((access & ~current->granted) != 0)
    return Record(Operation::OpenKey, sub_key, kErrorAccessDenied, access);
  key = Issue(*current, access);
  return Record(Operation::OpenKey, sub_key, kSuccess, access);
}

Status ModelRegistry::SetValue(KeyHandle key, const toolkit::String& name, ValueType type,
                               const std::byte* data, std::uint32_t size) {
  if (auto status = Injected(Operation::SetValue)) {
    return Record(Operation::SetValue, name, *status);
  }
  const auto open = handles_.find(key);
  if (open == handles_.end()) return Record(Operation::SetValue, name, kErrorInvalidHandle);
  if (!(open->second.access & kKeySetValue)) {
    return Record(Operation::SetValue, name, kErrorAccessDenied);
  }
  open->second.key->values[name] = {type, std::vector<std::byte>(data, data + size)};
  return Record(Operation::SetValue, name, kSuccess);
}

Status ModelRegistry::CloseKey(KeyHandle key) {
  if (auto status = Injected(Operation::CloseKey)) {
    return Record(Operation::CloseKey, {}, *status);
  }
  return Record(Operation::CloseKey, {}, handles_.erase(key) != 0 ? kSuccess : kErrorInvalidHandle);
}

ModelRegistry::Key& ModelRegistry::Make(KeyHandle root, const toolkit::String& path) {
  Key* current = Parent(root);
  const auto names = Split(path);
  if (current == nullptr || !names) throw std::invalid_argument("ModelRegistry: bad key path");
  for (const toolkit::String& name : *names) current = &current->children[name];
  return *current;
}

void ModelRegistry::GrantOnly(KeyHandle root, const toolkit::String& path, AccessMask granted) {
  Make(root, path).granted = granted;
}

void ModelRegistry::PutValue(KeyHandle root, const toolkit::String& path,
                             const toolkit::String& name, StoredValue value) {
  Make(root, path).values[name] = std::move(value);
}

void ModelRegistry::FailCall(Operation operation, int nth, Status status) {
  failures_.push_back({operation, nth, status});
}

const ModelRegistry::Key* ModelRegistry::Find(KeyHandle root, const toolkit::String& path) const {
  const auto top = roots_.find(root);
  const auto names = Split(path);
  if (top == roots_.end() || !names) return nullptr;
  const Key* current = &top->second;
  for (const toolkit::String& name : *names) {
    const auto child = current->children.find(name);
    if (child == current->children.end()) return nullptr;
    current = &child->second;
  }
  return current;
}

bool ModelRegistry::HasKey(KeyHandle root, const toolkit::String& path) const {
  return Find(root, path) != nullptr;
}

std::optional<Values> ModelRegistry::ValuesOf(KeyHandle root, const toolkit::String& path) const {
  const Key* key = Find(root, path);
  if (key == nullptr) return std::nullopt;
  return key->values;
}

}  // namespace registrar::model
