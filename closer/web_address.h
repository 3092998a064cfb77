#pragma once
// The program's guard against hostile page text: the log holds titles and
// addresses a page chose, and the shell runs a program path, a share on
// another machine or a script address just as readily as it opens a page.
#include "toolkit/string.h"

namespace closer {

// Whether a text is a web address that may be handed to the shell: one token
// of "http://" or "https://" in any case and a non-empty host, with no white
// space, no control character and none of " < > \ ^ ` { | }.
bool IsWebAddress(toolkit::StringView text);

}  // namespace closer
