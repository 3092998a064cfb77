#include "toolkit/event_gate.h"

#include <exception>

namespace toolkit {

bool EventGate::Deliver(const Handler& handler) {
  if (closed_ || busy_ || !handler) return false;
  busy_ = true;
  try {
    handler();
  } catch (const std::exception& e) {
    Fail(e.what());
  } catch (...) {
    Fail("Unknown run-time error");
  }
  busy_ = false;
  return true;
}

void EventGate::Fail(const std::string& message) {
  // The report may run a modal loop; the gate is closed first, so nothing
  // else is delivered meanwhile.
  if (closed_) return;
  closed_ = true;
  if (report_) report_(message);
  if (end_) end_();
}

}  // namespace toolkit
