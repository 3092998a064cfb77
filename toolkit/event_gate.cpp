#include "toolkit/event_gate.h"

#include <exception>

namespace toolkit {

bool EventGate::Deliver(const Handler& handler) {
  if (closed_ || busy_ || !handler) return false;
  Run(handler);
  RunWaiting();
  return true;
}

bool EventGate::Post(Handler handler) {
  if (closed_ || !handler) return false;
  if (busy_) {
    waiting_.push_back(std::move(handler));
    return true;
  }
  Run(handler);
  RunWaiting();
  return true;
}

void EventGate::Run(const Handler& handler) {
  busy_ = true;
  try {
    handler();
  } catch (const std::exception& e) {
    Fail(e.what());
  } catch (...) {
    Fail("Unknown run-time error");
  }
  busy_ = false;
}

void EventGate::RunWaiting() {
  while (!closed_ && !waiting_.empty()) {
    const Handler next = std::move(waiting_.front());
    waiting_.pop_front();
    Run(next);
  }
}

void EventGate::Close() {
  closed_ = true;
  waiting_.clear();
}

void EventGate::Fail(const std::string& message) {
  // The report may run a modal loop; the gate is closed first, so nothing
  // else is delivered meanwhile.
  if (closed_) return;
  Close();
  try {
    if (report_) report_(message);
  } catch (...) {
    // Nothing is left to tell; ending the program is what matters now.
  }
  if (end_) end_();
}

}  // namespace toolkit
