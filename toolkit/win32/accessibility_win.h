#pragma once
// Names for screen readers that the window's structure does not give.
#include <windows.h>

#include "toolkit/string.h"

namespace toolkit::win32 {

// Annotates the control's name through the accessibility framework (the
// dynamic annotation of oleacc, found through COM rather than imported).
// Where COM is not up on this thread, or the framework is absent or
// refuses, the control stays as it was.
void AnnotateName(HWND control, StringView name);

}  // namespace toolkit::win32
