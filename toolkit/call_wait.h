#pragma once
// What to do while a call into another process waits for its answer (a
// browser's page that is busy or hung). The thread waits inside the call and
// handles only paint and sent messages meanwhile; the user's input stays in
// the queue until the call returns. These rules keep that wait short when it
// matters to the user, and bounded when nobody acts.
namespace toolkit {

// The strongest thing waiting in the queue when a message arrives.
enum class Queued {
  kNothing,  // nothing of the user's: paint, ticks, sent messages
  kInput,    // a key or a mouse button pressed
  kClose,    // the window was told to close, or the program has ended
};

enum class WhileWaiting {
  kWait,    // keep waiting
  kCancel,  // give up on the call: it fails, and the caller goes on
  kEnd,     // end the program now, without waiting for the call
};

// A call answered within this is a page at work; past it, a person who has
// acted on the window waits for nothing but the page. Half a second is about
// where a click starts to feel ignored, and many times what a working page
// takes to answer (milliseconds).
inline constexpr unsigned kWaitForUserMs = 500;
// A call not answered within this is given up even though nobody acts, so
// that one hung page costs each sweep this much and no more, and the other
// pages are still closed. Well short of the five seconds after which Windows
// calls a window "Not Responding", and long enough for a page that is only
// slow.
inline constexpr unsigned kLongestWaitMs = 3000;
// The rules are asked again at least this often while a call waits. A
// message queued while the wait itself is taking messages out wakes nothing
// (under Wine the window manager's close button queues its close so), and
// would wait for the call; a quarter second is soon enough for a close.
inline constexpr unsigned kLookAgainMs = 250;

struct WaitDecision {
  WhileWaiting what;
  // With kWait: when to ask the rules again, even if nothing else arrives:
  // at the next bound, or sooner to look at the queue again.
  unsigned askAgainMs;
  friend bool operator==(const WaitDecision&, const WaitDecision&) = default;
};

// `waitedMs`: how long the call has waited so far.
WaitDecision DecideWhileWaiting(unsigned waitedMs, Queued queued);

}  // namespace toolkit
