#!/usr/bin/env bash
# Names the build whose Windows programs this host's Wine can run: win32 where
# the kernel executes 32-bit code (Wine's 32-bit loader starts), else win64,
# the same sources built for 64-bit Windows and run by 64-bit Wine.
# WINE_BUILD=win64 chooses the 64-bit build where both would run.
if [ "${WINE_BUILD:-}" = win64 ]; then echo win64; exit; fi
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
