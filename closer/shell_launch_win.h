#pragma once
#include "closer/shell_launch.h"

namespace closer::win32 {

// ShellExecuteW with no owner, the default verb, no parameters or folder,
// shown normally. The wide entry point keeps characters outside the ANSI code
// page as they are.
class ShellExecuteLaunch final : public ShellLaunch {
 public:
  void Open(toolkit::StringView text) override;
};

}  // namespace closer::win32
