#!/usr/bin/env bash
# Starts the built programs under Wine. On a display, for the user to work
# with; without one (or with --headless), on a virtual display, where a driver
# uses both programs through their windows, prints what they did, saves a
# screenshot of each window and the README's animation under build/, and
# closes them again. It writes nothing outside build/: `make docs` copies the
# pictures into docs/.
#   run.sh [--headless]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="$root/build/$("$root/scripts/wine-preset.sh")/bin"
for p in Quorrin Brakkon; do
  [ -f "$bin/$p.exe" ] || { echo "run: $bin/$p.exe is not built"; exit 1; }
done

if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != --headless ]; then
  # The session's test shell shows its window, whose button opens pop-up
  # windows; the run ends, and the shell with it, once both programs are closed.
  exec "$root/scripts/with-wine.sh" bash -c "wine '$bin/BrowserShell.exe' /demo &
    wine '$bin/Brakkon.exe' & b=\$!
    wine '$bin/Quorrin.exe' & q=\$!
    wait \$b \$q"
fi

shots="$root/build/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
# A virtual display even where one is set (`make docs` from a desktop);
# inside a Wine session (a test), the session's own.
WINE_HEADLESS=1 "$root/scripts/with-wine.sh" bash -c \
  "cd '$bin' && wine headless_run.exe \"\$(winepath -w '$shots')\""
echo "screenshots in $shots"
# The README's animation from the recorded frames, through Debian's
# ImageMagick, by its path: another convert may come first on PATH.
frames=()
for f in "$shots"/frames/*.png; do
  shown=${f##*-}
  frames+=(-delay "${shown%.png}" "$f")
done
gif="$shots/quorrin-closing.gif"
/usr/bin/convert -loop 0 "${frames[@]}" +dither -layers Optimize "$gif"
echo "animation: $gif ($(stat -c %s "$gif") bytes)"
