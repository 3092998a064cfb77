#!/usr/bin/env bash
# Brakkon started from a folder whose path is longer than MAX_PATH: its
# defaults are made from the whole folder, not from a truncated one.
# Arguments: Brakkon.exe window_texts.exe. Runs inside a Wine session.
set -euo pipefail
brakkon=$1 texts=$2
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
dir=$top
for i in 1 2 3 4 5 6 7; do dir="$dir/$(printf 'd%.0s' {1..40})$i"; done
mkdir -p "$dir"
cp "$brakkon" "$dir/"
# winepath stops at MAX_PATH itself; Wine shows / as drive Z:.
folder="Z:${dir//\//\\}"
[ ${#folder} -gt 260 ] || { echo "folder is not deep enough: ${#folder}"; exit 1; }

wine "$dir/Brakkon.exe" &
shown=$(wine "$texts" Tessaly --close | tr -d '\r')
wait
want=("$folder\\Fennimot.exe" "$folder\\Files\\fennimot.ico")
status=0
for i in 0 1; do
  # Found by its whole text among the controls', whatever their order.
  if ! grep -qxF -- "${want[$i]}" <<<"$shown"; then
    printf 'expected a text box with %s; the window shows:\n%s\n' "${want[$i]}" "$shown"
    status=1
  fi
done
echo "folder of ${#folder} characters: $([ $status = 0 ] && echo whole || echo cut)"
echo "$((2 - status * 2)) passed, $((status * 2)) failed"
exit $status
