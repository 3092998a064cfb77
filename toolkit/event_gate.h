#pragma once
#include <deque>
#include <functional>
#include <string>

namespace toolkit {

using Handler = std::function<void()>;

// Delivers events to handlers one at a time. A handler may pump messages (a
// modal loop, or an outgoing COM call waiting for another process), so events
// arrive while it runs. A timer tick that arrives then is dropped: a tick
// comes again. What the user did (a click, a selection) waits instead, and is
// delivered in the order it came as soon as the running handler ends. A
// failure that escapes a handler is reported and ends the program.
class EventGate {
 public:
  using Reporter = std::function<void(const std::string& message)>;

  EventGate(Reporter report, std::function<void()> end)
      : report_(std::move(report)), end_(std::move(end)) {}

  // A tick: runs now, or is dropped while a handler runs. Returns whether
  // the handler ran.
  bool Deliver(const Handler& handler);
  // A user's action: runs now, or waits for the running handler to end.
  // Returns whether it ran or will run.
  bool Post(Handler handler);

  // After this no event is delivered any more, and waiting ones are dropped.
  void Close();
  // A handler is running: what arrives now arrives inside it.
  bool Running() const { return busy_ && !closed_; }

  // A failure outside any handler (in the toolkit itself): reported like an
  // unhandled one, then the program ends, even if the report itself fails.
  // Silent once the program has ended, since nobody is left to act on it.
  void Fail(const std::string& message);

 private:
  void Run(const Handler& handler);
  void RunWaiting();

  Reporter report_;
  std::function<void()> end_;
  std::deque<Handler> waiting_;
  bool busy_ = false;
  bool closed_ = false;
};

}  // namespace toolkit
