#!/usr/bin/env bash
# Brakkon from outside, where only a script can take it: started from a
# folder deeper than MAX_PATH and from a drive's root, its defaults are made
# from the folder as the system gives it; the key it writes is still there
# once the Wine session has ended and a new one has started.
# Arguments: Brakkon.exe window_controls.exe BrowserShell.exe. Runs inside a
# Wine session, which it ends and starts again.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
brakkon=$1 controls=$2 shell=$3
top=$(mktemp -d)
trap 'rm -rf "$top" "$WINEPREFIX/drive_c/Brakkon.exe"' EXIT
# The text boxes' texts, in tab order; with more arguments, clicks first.
texts() {
  timeout 60 wine "$controls" Tessaly "$@" --close | tr -d '\r' |
    awk -F'\t' '$1 == "edit" { print $7 }' || true
}
defaults() {  # defaults FOLDER_AS_WINDOWS_WRITES_IT
  printf '%s\n' "$1\\Fennimot.exe" "$1\\Files\\fennimot.ico"
}

# A folder deeper than MAX_PATH; winepath stops at MAX_PATH itself, and Wine
# shows / as drive Z:.
dir=$top
for i in 1 2 3 4 5 6 7; do dir="$dir/$(printf 'd%.0s' {1..40})$i"; done
mkdir -p "$dir"
cp "$brakkon" "$dir/"
folder="Z:${dir//\//\\}"
timeout 60 wine "$dir/Brakkon.exe" &
check "deep folder (${#folder} characters)" "$(defaults "$folder")" "$(texts | sed -n '2,3p')"
wait

# A drive's root: "C:\" joined to "\Fennimot.exe" as they are.
cp "$brakkon" "$WINEPREFIX/drive_c/"
timeout 60 wine 'C:\Brakkon.exe' &
check "drive root" "$(defaults 'C:\')" "$(texts | sed -n '2,3p')"
wait

# Written to last: the session ends, a new one starts, the key is there.
timeout 60 wine "$brakkon" &
guid=$(texts --click "Adicionar ao registro" | sed -n 1p)
wait
key="HKCU\\Software\\Microsoft\\Internet Explorer\\Extensions\\$guid"
wineserver -k
# Nothing of the new session may hold this test's output open (CTest waits
# for it): the server and the session's first process, the test shell that
# whatever runs next needs, start without it.
wineserver -p </dev/null >/dev/null 2>&1
wine "$shell" </dev/null >/dev/null 2>&1 &
sleep 1
read_back=$(timeout 60 wine reg query "$key" /v ButtonText 2>/dev/null | tr -d '\r' |
  awk '/ButtonText/ { print $3 }' || true)
check "ButtonText of $guid in a new session" "Fennimot" "$read_back"
timeout 60 wine reg delete "$key" /f >/dev/null 2>&1 || true

report
