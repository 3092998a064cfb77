#pragma once
// The two failure policies of the toolkit.
//
// A control or a platform call that fails throws Failure. A handler either
// runs a step under SkipOnFailure (the step is abandoned silently and the
// handler goes on), or lets the failure escape: then the toolkit reports it
// to the user and ends the program (see EventGate).
#include <stdexcept>
#include <string>

namespace toolkit {

// The toolkit's own run-time error numbers, the same in both realizations.
enum ErrorNumber : long {
  kOutOfMemory = 7,
  kInvalidPropertyValue = 380,
  kInvalidIndex = 381,
};

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& what, long code = 0)
      : std::runtime_error(what), code_(code) {}
  long code() const { return code_; }

 private:
  long code_;
};

// Runs one step; any failure abandons that step only. Returns whether the
// step completed, for callers whose next step depends on it.
template <class Step>
bool SkipOnFailure(Step&& step) noexcept {
  try {
    step();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace toolkit
