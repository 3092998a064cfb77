#pragma once
// A simulated shell window collection for tests: windows with or without a
// document, HTML or not, values that cannot be read, refused
// quits, windows that close while a sweep runs. It counts every call, so the
// cost of a sweep can be checked as well as its effect.
#include <functional>
#include <map>
#include <vector>

#include "closer/shell_windows.h"

namespace closer::model {

// The operations that can be made to fail and that are counted.
enum Op : unsigned {
  kCreate = 1u << 0,
  kEnumerate = 1u << 1,
  kNext = 1u << 2,
  kDocument = 1u << 3,
  kIsHtml = 1u << 4,
  kLocationName = 1u << 5,
  kLocationURL = 1u << 6,
  kFullName = 1u << 7,
  kQuit = 1u << 8,
};

enum class Shows { kNothing, kHtml, kOther };

struct ModelWindowState {
  toolkit::String locationName;
  toolkit::String locationURL;
  toolkit::String fullName;
  Shows shows = Shows::kHtml;
  unsigned failing = 0;  // Op bits that throw for this window
};

class ModelShellWindows final : public ShellWindows {
 public:
  std::unique_ptr<ShellWindowCollection> Create() override;

  // A window opens at the end of the collection's order; returns its id.
  int Open(ModelWindowState window);
  // The window closes: it is no longer listed, and calls through a reference
  // taken earlier fail, as with a browser that has gone.
  void Close(int id);
  ModelWindowState& Window(int id) { return windows_.at(static_cast<size_t>(id)).state; }

  // Quit requests so far, by window id, in order.
  const std::vector<int>& Quits() const { return quits_; }
  // Calls of one operation so far.
  int Calls(Op op) const;
  // Op bits that throw for the collection (kCreate, kEnumerate, kNext).
  unsigned failing = 0;
  // The shell's process ends and starts again: collections and enumerations
  // made before fail for good (ShellGone); a new collection works.
  void Restart() { ++generation_; }
  // Runs before each call on a window, so that a test can change the desktop
  // while a sweep runs.
  std::function<void(int id, Op op)> beforeCall;

 private:
  friend class ModelCollection;
  friend class ModelEnumeration;
  friend class ModelWindowRef;
  friend class ModelDocument;
  struct Entry {
    ModelWindowState state;
    bool listed = true;
  };
  // Counts the call, runs the hook, throws when it is set to fail.
  void Call(int id, Op op);

  std::vector<Entry> windows_;  // by id, closed ones included so that ids stay put
  std::vector<int> quits_;
  std::map<Op, int> calls_;
  int generation_ = 0;
};

}  // namespace closer::model
