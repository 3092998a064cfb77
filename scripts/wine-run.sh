#!/usr/bin/env bash
# CTest's emulator for the Windows test programs. Inside a Wine session it just
# runs the program; outside one it opens a session for this single run.
if [ -z "${WINE_SESSION:-}" ]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/with-wine.sh" "$0" "$@"
fi
exec wine "$@"
