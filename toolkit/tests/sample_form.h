#pragma once
// A small form that uses every element of the toolkit, written once against
// the contract and run on both realizations by the tests.
#include <functional>

#include "toolkit/toolkit.h"

namespace toolkit::testing {

class SampleForm {
 public:
  static WindowDesign Design();
  explicit SampleForm(Window& window);

  Button& Go;        // timer on, Stop enabled, logs "go"
  Button& Stop;      // timer off
  Button& Skip;      // three steps under skip-on-failure; the second fails
  Button& Pump;      // pumps messages (realization-specific) within its handler
  TextBox& Heading;  // disabled
  TextBox& Box;      // gets the selected line
  ListBox& List;
  Label& Link;  // its handler fails with no policy
  OptionButton& First;
  OptionButton& Second;
  CheckBox& Check;
  PictureBox& Picture;
  Timer& Ticker;

  int ticks = 0;
  int steps = 0;
  std::function<void()> pump;
};

}  // namespace toolkit::testing
