#!/usr/bin/env bash
# CTest's emulator for the Windows test programs. Inside a Wine session it just
# runs the program; outside one it opens a session for this single run.
if [ -z "${WINE_SESSION:-}" ]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/with-wine.sh" "$0" "$@"
fi
# Every process a test starts, and every one those start (COM servers, the
# shell's handlers), inherits Wine's standard error, and CTest waits until
# the last of them lets go of it. So Wine's messages go to a file; the tests
# report on standard output.
exec wine "$@" 2>>"$WINEPREFIX/wine-stderr.log"
