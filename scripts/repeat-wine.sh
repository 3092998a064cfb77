#!/usr/bin/env bash
# Runs the Windows tests under Wine RUNS times in a row, on the build this
# host's Wine runs (scripts/wine-preset.sh), with BUSY busy loops at normal
# priority beside them, to see whether any test fails only at times. Prints
# each failing run's failing tests, then "N passed, M failed" (runs). Each
# run's whole output (passing tests' notes of a measurement taken again
# included) is kept in build/repeat/.
#   repeat-wine.sh [RUNS [BUSY]]    (defaults: 10 runs, no busy loop)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-10} busy=${2:-0}
preset=$("$root/scripts/wine-preset.sh")
logs="$root/build/repeat"
rm -rf "$logs"
mkdir -p "$logs"
loops=()
trap 'kill "${loops[@]}" 2>/dev/null || true' EXIT
for _ in $(seq "$busy"); do
  (while :; do :; done) &
  loops+=($!)
done
echo "the Windows tests under Wine on $preset, $runs runs, $busy busy loops beside them"
passed=0 failed=0
for run in $(seq "$runs"); do
  log="$logs/run-$run.log"
  start=$SECONDS
  if (cd "$root" && scripts/with-wine.sh ctest --preset "$preset" -V) \
    >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "run $run: passed ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "run $run: FAILED ($((SECONDS - start)) s, $log):"
    # CTest's failed tests, and within them GoogleTest's failed cases and the
    # scripts' failed checks (CTest's -V puts "N: " before a test's lines).
    sed -n -e 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\(Failed\|Timeout\|Exception\).*/  \1/p' \
      -e 's/^\([0-9]*: \)\?\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_]*\) (.*/    \2/p' \
      -e 's/^\([0-9]*: \)\?FAILED  \(.*\)/    \2/p' "$log" | awk '!seen[$0]++'
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
