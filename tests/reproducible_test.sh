#!/usr/bin/env bash
# Builds the two programs again from a copy of the sources in another folder,
# into another build folder, and checks that the files are byte for byte the
# ones given: no build path, build time or folder name may reach them.
#   reproducible_test.sh <source dir> <toolchain file> <Quorrin.exe> <Brakkon.exe>
set -euo pipefail
src=$1 toolchain=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copy="$work/elsewhere/sources"
mkdir -p "$copy"
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
  # The tracked files as they stand in the work tree.
  (cd "$src" && git ls-files -z | xargs -0 cp --parents -t "$copy")
else
  (cd "$src" && tar --exclude=./build --exclude=./dist -cf - .) | (cd "$copy" && tar -xf -)
fi
toolchain_copy="$copy/${toolchain#"$src"/}"
cmake -S "$copy" -B "$work/other-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain_copy" \
  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$work/other-build" -j "$(nproc)" --target Quorrin Brakkon >/dev/null
status=0
for built in "$@"; do
  again="$work/other-build/bin/$(basename "$built")"
  if cmp -s "$built" "$again"; then
    echo "same bytes: $(basename "$built")"
  else
    echo "DIFFERENT: $built and a build elsewhere ($(cmp "$built" "$again" | head -1))"
    status=1
  fi
done
exit $status
