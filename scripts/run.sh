#!/usr/bin/env bash
# Starts the built programs under Wine on the user's display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
progs=()
for p in Quorrin Brakkon; do
  f="$root/build/win32/bin/$p.exe"; [ -f "$f" ] || f=
  [ -n "$f" ] && progs+=("$f")
done
if [ ${#progs[@]} -eq 0 ]; then echo "run: no program is built yet"; exit 0; fi
start_all() {
  for f in "${progs[@]}"; do wine "$f" & done
  wait
}
export -f start_all 2>/dev/null || true
"$root/scripts/with-wine.sh" bash -c "$(declare -p progs); $(declare -f start_all); start_all"
