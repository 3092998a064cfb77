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

// Whether a text is a web address that may be handed to the shell: it starts
// with "http://" or "https://" in any case and holds no control character.
// Log lines are page titles a hostile site chooses; the shell would run a
// program path or a share on another machine just as readily.
bool IsWebAddress(toolkit::StringView text);

}  // namespace closer
