#include "toolkit/call_wait.h"

#include <algorithm>

namespace toolkit {

WaitDecision DecideWhileWaiting(unsigned waitedMs, Queued queued) {
  // Closing needs nothing from the call: nothing is saved, and the answer
  // would be thrown away.
  if (queued == Queued::kClose) return {WhileWaiting::kEnd, 0};
  const unsigned bound = queued == Queued::kInput ? kWaitForUserMs : kLongestWaitMs;
  if (waitedMs >= bound) return {WhileWaiting::kCancel, 0};
  return {WhileWaiting::kWait, std::min(bound - waitedMs, kLookAgainMs)};
}

}  // namespace toolkit
