#pragma once
// The shell's collection of open windows, reduced to what the sweep needs.
// Every operation may throw toolkit::Failure; a platform status is turned
// into one where the platform is called, never later.
#include <memory>

#include "toolkit/failure.h"
#include "toolkit/string.h"

namespace closer {

// Thrown by a collection, or by its enumeration, whose server has gone (the
// shell's process ended): that collection fails for good, so a new one has
// to be made. Any other failure leaves the collection as good as it was.
class ShellGone : public toolkit::Failure {
 public:
  using Failure::Failure;
};

// What a window shows; the sweep only asks whether it is an HTML document.
class ShellDocument {
 public:
  virtual ~ShellDocument() = default;
  // False for a document of any other kind; throws when the test cannot be made.
  virtual bool IsHtml() = 0;
};

class ShellWindow {
 public:
  virtual ~ShellWindow() = default;
  // Null when the window shows nothing (yet).
  virtual std::unique_ptr<ShellDocument> Document() = 0;
  virtual toolkit::String LocationName() = 0;  // title of the shown page
  virtual toolkit::String LocationURL() = 0;   // its address
  virtual toolkit::String FullName() = 0;      // path of the program hosting the window
  // Asks the window to close; does not wait for it.
  virtual void Quit() = 0;
};

// One pass over the collection, from its beginning.
class ShellWindowEnumeration {
 public:
  virtual ~ShellWindowEnumeration() = default;
  // The next window in the collection's order; null once there is none.
  virtual std::unique_ptr<ShellWindow> Next() = 0;
};

// The collection stays current by itself, so one is kept and enumerated anew.
class ShellWindowCollection {
 public:
  virtual ~ShellWindowCollection() = default;
  virtual std::unique_ptr<ShellWindowEnumeration> Enumerate() = 0;
};

class ShellWindows {
 public:
  virtual ~ShellWindows() = default;
  virtual std::unique_ptr<ShellWindowCollection> Create() = 0;
};

}  // namespace closer
