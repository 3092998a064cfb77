#!/usr/bin/env bash
# `make run` without a display: it works both programs, leaves the README's
# pictures under build/screenshots for `make docs`, and leaves the checkout as
# it was, so that a newcomer's first run shows no change in `git status`.
#   headless_run_test.sh <source dir>
# Runs in the Wine session it is started in, or in one of its own. Exits 77
# (skipped) where the sources are no git checkout.
set -euo pipefail
src=$1
if ! before=$(git -C "$src" status --porcelain 2>&1); then
  echo "SKIPPED: $src is no git checkout ($before); whether the run changes it is not checked"
  exit 77
fi
failed=0
"$src/scripts/run.sh" --headless </dev/null || { echo "FAILED: run.sh --headless failed"; failed=1; }
after=$(git -C "$src" status --porcelain)
if [ "$before" != "$after" ]; then
  printf 'FAILED: the run changed the checkout; git status before:\n%s\nafter:\n%s\n' \
    "$before" "$after"
  failed=1
fi
# What `make docs` copies; run.sh empties the folder first, so these are this run's.
for picture in Quorrin.png Brakkon.png quorrin-closing.gif; do
  [ -s "$src/build/screenshots/$picture" ] ||
    { echo "FAILED: no build/screenshots/$picture"; failed=1; }
done
gif="$src/build/screenshots/quorrin-closing.gif"
if [ -s "$gif" ]; then
  frames=$(/usr/bin/identify -format '%n\n' "$gif" | head -1)
  [ "$frames" -gt 1 ] || { echo "FAILED: the animation has $frames frame(s)"; failed=1; }
fi
exit $failed
