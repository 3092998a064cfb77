# Sourced by the shell tests. `check WHAT EXPECTED ACTUAL` counts one case and
# shows a failed one; `report` prints the counts as the other suites do and
# fails if any case failed.
failed=0 passed=0
check() {
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf '%s: expected\n  %s\ngot\n  %s\n' "$1" "$2" "$3"
  fi
}
report() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
}
