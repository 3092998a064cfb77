#!/usr/bin/env bash
# Runs one command inside one Wine session: a private prefix under build/
# (made once, then reused), a virtual display when none is set, and one
# persistent wineserver. Everything started here is stopped when the command
# ends, so nothing is left running.
set -euo pipefail
# Inside a session already (a test that starts what `make run` starts), the
# command runs in that session.
if [ "${WINE_SESSION:-}" = 1 ]; then exec "$@"; fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

preset=$("$root/scripts/wine-preset.sh")
xvfb_pid= wm_pid=
work=$(mktemp -d)
if [ "$preset" = win32 ]; then
  export WINEARCH=win32
  export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
else
  # No 32-bit code runs on this kernel: 64-bit Wine runs the 64-bit build.
  # Debian's wine scripts would pick the 32-bit loader because it is installed,
  # so `wine` (and what the wine tools start) is the 64-bit loader here.
  export WINEARCH=win64
  export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix64}
  export WINELOADER=/usr/lib/wine/wine64
  mkdir "$work/bin"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$work/bin/$name"
    chmod +x "$work/bin/$name"
  done
  export PATH="$work/bin:$PATH"
fi
export WINE_PRESET=$preset
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer may wait on a display that nobody sees.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINE_SESSION=1

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ "${WINE_HEADLESS:-}" = 1 ]; then
  # -displayfd lets Xvfb pick a free display number and tell us which.
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "with-wine: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(tr -d '\n' <"$work/display")"
  # A window manager, as on a desktop: it frames, places and stacks the
  # windows, and the programs are seen as a person would see them.
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  xsetroot -solid '#3A6EA5'  # a desktop's colour rather than black
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  echo "with-wine: creating the Wine prefix (once)" >&2
  timeout 300 wineboot -i >/dev/null 2>&1
  timeout 60 wineserver -w  # let wineboot's server go, so that ours can persist
fi
# Wine's own TrueType fonts (Tahoma, the dialog font; Marlett, the title
# bar's glyphs) are not found where Debian installs them: the prefix gets a
# copy, else every window would fall back to another font.
for font in /usr/share/wine/fonts/*.ttf; do
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$fonts/${font##*/}" ] || cp "$font" "$fonts/"
done
# The dialog faces mapped as Windows maps them, so that a window is measured
# and seen here in the face Windows shows it in: Wine shows MS Shell Dlg in
# Tahoma, Windows in Microsoft Sans Serif (which Wine lacks; it has the face
# that one replaced, MS Sans Serif). MS Shell Dlg 2 is Tahoma in both.
substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
wine reg add "$substitutes" /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null 2>&1
wine reg add "$substitutes" /v 'MS Shell Dlg 2' /d 'Tahoma' /f >/dev/null 2>&1
# The Windows version that the prefix reports: WINE_WINDOWS_VERSION (winxp,
# win7, win10; Wine's own default, win10, when unset). 64-bit Wine calls XP
# winxp64. Wine's windows are managed by the window manager, as on a
# desktop. What these settings start (the desktop, the services) has read
# the version as it was, so it is ended and the session's server starts
# afresh.
version=${WINE_WINDOWS_VERSION:-win10}
[ "$preset" = win64 ] && [ "$version" = winxp ] && version=winxp64
wine winecfg /v "$version" >/dev/null 2>&1
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 || true

# The test shell's browser windows stand in for the shell's collection, in
# this private prefix only (tools/browser_shell/test_shell.reg.in says how).
bin="$root/build/$preset/bin"
if [ -f "$bin/BrowserShell.exe" ] && [ -f "$bin/TestShell.reg" ]; then
  wine regedit /S "$(winepath -w "$bin/TestShell.reg")" >/dev/null 2>&1
  # Started here, away from the command's output: a Wine process keeps the
  # output it inherited open, and CTest waits for it to close.
  wine "$bin/BrowserShell.exe" </dev/null >/dev/null 2>&1 &
  sleep 1
fi
"$@"
