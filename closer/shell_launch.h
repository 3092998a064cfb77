#pragma once
// Handing a text to the shell, which opens whatever it names.
#include "toolkit/string.h"

namespace closer {

class ShellLaunch {
 public:
  virtual ~ShellLaunch() = default;
  // The shell's result is not examined: a text it cannot open is no failure.
  virtual void Open(toolkit::StringView text) = 0;
};

}  // namespace closer
