#include "closer/shell_windows_model.h"

#include <string>

#include "toolkit/failure.h"

namespace closer::model {

namespace {
// The status a vanished browser answers with (RPC_E_DISCONNECTED).
constexpr long kDisconnected = static_cast<long>(0x80010108u);
}  // namespace

class ModelDocument final : public ShellDocument {
 public:
  ModelDocument(ModelShellWindows& shell, int id) : shell_(shell), id_(id) {}
  bool IsHtml() override {
    shell_.Call(id_, kIsHtml);
    return shell_.Window(id_).shows == Shows::kHtml;
  }

 private:
  ModelShellWindows& shell_;
  int id_;
};

class ModelWindowRef final : public ShellWindow {
 public:
  ModelWindowRef(ModelShellWindows& shell, int id) : shell_(shell), id_(id) {}
  std::unique_ptr<ShellDocument> Document() override {
    shell_.Call(id_, kDocument);
    if (shell_.Window(id_).shows == Shows::kNothing) return nullptr;
    return std::make_unique<ModelDocument>(shell_, id_);
  }
  toolkit::String LocationName() override {
    shell_.Call(id_, kLocationName);
    return shell_.Window(id_).locationName;
  }
  toolkit::String LocationURL() override {
    shell_.Call(id_, kLocationURL);
    return shell_.Window(id_).locationURL;
  }
  toolkit::String FullName() override {
    shell_.Call(id_, kFullName);
    return shell_.Window(id_).fullName;
  }
  void Quit() override {
    shell_.Call(id_, kQuit);
    shell_.quits_.push_back(id_);
  }

 private:
  ModelShellWindows& shell_;
  int id_;
};

// Walks the windows by id, so that windows closing meanwhile neither shift
// nor repeat the ones after them; windows opened meanwhile are reached too.
class ModelEnumeration final : public ShellWindowEnumeration {
 public:
  explicit ModelEnumeration(ModelShellWindows& shell)
      : shell_(shell), generation_(shell.generation_) {}
  std::unique_ptr<ShellWindow> Next() override {
    ++shell_.calls_[kNext];
    if (generation_ != shell_.generation_) throw ShellGone("Next: server gone", kDisconnected);
    if (shell_.failing & kNext) throw toolkit::Failure("IEnumVARIANT::Next failed");
    while (next_ < shell_.windows_.size() && !shell_.windows_[next_].listed) ++next_;
    if (next_ == shell_.windows_.size()) return nullptr;
    return std::make_unique<ModelWindowRef>(shell_, static_cast<int>(next_++));
  }

 private:
  ModelShellWindows& shell_;
  int generation_;
  size_t next_ = 0;
};

class ModelCollection final : public ShellWindowCollection {
 public:
  explicit ModelCollection(ModelShellWindows& shell)
      : shell_(shell), generation_(shell.generation_) {}
  std::unique_ptr<ShellWindowEnumeration> Enumerate() override {
    ++shell_.calls_[kEnumerate];
    if (generation_ != shell_.generation_) throw ShellGone("_NewEnum: server gone", kDisconnected);
    if (shell_.failing & kEnumerate) throw toolkit::Failure("_NewEnum failed");
    return std::make_unique<ModelEnumeration>(shell_);
  }

 private:
  ModelShellWindows& shell_;
  int generation_;
};

std::unique_ptr<ShellWindowCollection> ModelShellWindows::Create() {
  ++calls_[kCreate];
  if (failing & kCreate) throw toolkit::Failure("CoCreateInstance failed");
  return std::make_unique<ModelCollection>(*this);
}

int ModelShellWindows::Open(ModelWindowState window) {
  windows_.push_back({std::move(window), true});
  return static_cast<int>(windows_.size() - 1);
}

void ModelShellWindows::Close(int id) {
  windows_.at(static_cast<size_t>(id)).listed = false;
}

int ModelShellWindows::Calls(Op op) const {
  const auto found = calls_.find(op);
  return found == calls_.end() ? 0 : found->second;
}

void ModelShellWindows::Call(int id, Op op) {
  ++calls_[op];
  if (beforeCall) beforeCall(id, op);
  const Entry& entry = windows_.at(static_cast<size_t>(id));
  if (!entry.listed) throw toolkit::Failure("the window has gone", kDisconnected);
  if (entry.state.failing & op) throw toolkit::Failure("call failed: " + std::to_string(op));
}

}  // namespace closer::model
