#pragma once
// A state of another program, waited for in a test's words.
#include <gtest/gtest.h>

#include "tools/driver_win.h"

namespace driver {

// Passes as soon as `condition` holds. Fails, naming what it waited for,
// only once `milliseconds` have passed: by default a bound that no working
// program reaches on any host that runs the tests at all.
template <class F>
::testing::AssertionResult Eventually(const char* what, F condition, DWORD milliseconds = kHangMs,
                                      DWORD pollMs = 10) {
  if (WaitFor(condition, milliseconds, pollMs)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "waited " << milliseconds / 1000.0 << " s for " << what;
}

}  // namespace driver
