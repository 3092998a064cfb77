#pragma once
#include <functional>
#include <string>

namespace toolkit {

using Handler = std::function<void()>;

// Delivers events to handlers one at a time. An event that arrives while a
// handler runs (a timer tick that falls due while the handler pumps messages
// in a modal loop or an outgoing COM call) is dropped, not queued: a tick
// comes again anyway, and a stale click must not act on a changed window.
// A failure that escapes a handler is reported and ends the program.
class EventGate {
 public:
  using Reporter = std::function<void(const std::string& message)>;

  EventGate(Reporter report, std::function<void()> end)
      : report_(std::move(report)), end_(std::move(end)) {}

  // Returns whether the handler ran.
  bool Deliver(const Handler& handler);

  // After this no event is delivered any more.
  void Close() { closed_ = true; }
  bool Closed() const { return closed_; }
  bool Busy() const { return busy_; }

  // A failure outside any handler (in the toolkit itself): reported like an
  // unhandled one, then the program ends. Silent once the program has ended,
  // since nobody is left to act on it.
  void Fail(const std::string& message);

 private:
  Reporter report_;
  std::function<void()> end_;
  bool busy_ = false;
  bool closed_ = false;
};

}  // namespace toolkit
