#!/usr/bin/env bash
# A download's folder where a web page has dropped DLLs named after those the
# system loads once a program runs (the theme engine and what it imports,
# COM's proxies). Wine is told to search for those names as Windows does,
# program's folder first. Each program, started from that folder and used
# through every button and its link, must run none of them. Nor may the
# fallback for systems that cannot restrict the search, which also keeps
# the current folder out (tried with a name that no system folder holds, as
# XP lacks the DLLs of later versions). A probe that loads the names
# unguarded shows that the planted DLLs would run.
# Arguments: Quorrin.exe Brakkon.exe window_controls.exe dll_probe.exe
# planted.dll. Runs inside a Wine session.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
mapfile -t args < <(realpath "$@")
quorrin=${args[0]} brakkon=${args[1]} controls=${args[2]} probe=${args[3]} planted=${args[4]}
names=(actxprxy msimg32 uxtheme)
downloads=$(mktemp -d)
trap 'rm -rf "$downloads"' EXIT
cp "$quorrin" "$brakkon" "$probe" "$downloads/"
for name in "${names[@]}"; do cp "$planted" "$downloads/$name.dll"; done
mkdir "$downloads/current"
cp "$planted" "$downloads/current/absent.dll"
cd "$downloads"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(IFS=,; echo "${names[*]}")=n,b"
ran() { ls -- *.ran current/*.ran 2>/dev/null | tr '\n' ' ' || true; rm -f -- *.ran current/*.ran; }
controls() { timeout 20 wine "$controls" "$@" | tr -d '\r' || true; }
# Clicks the centre of the control of class $2 whose text is $3, through X.
click() {
  controls "$1" | awk -F'\t' -v cls="$2" -v text="$3" \
    '$1 == cls && $7 == text { print int(($2 + $4) / 2), int(($3 + $5) / 2) }' |
    { read -r x y && xdotool mousemove "$x" "$y" click 1 || true; }
}
probe=$(basename "$probe")

(cd current && timeout 60 wine "../$probe" "${names[@]/%/.dll}" absent.dll) || true
check "planted DLLs run by a process that does not guard" \
  "actxprxy.dll.ran current/absent.dll.ran msimg32.dll.ran uxtheme.dll.ran " "$(ran)"
(cd current && timeout 60 wine "../$probe" --fallback "${names[@]/%/.dll}" absent.dll) || true
check "planted DLLs run by the fallback" "" "$(ran)"

timeout 30 wine Quorrin.exe &
q="Quorrin - Porn Site Closer"
controls "$q" --click "Start Closing" --click "Stop Closing" --click "Open Selected Site" \
  --click "Clean Supressed List" >/dev/null
click "$q" static "Made by Drabwick - Click to visite my site"
controls "$q" --click Close >/dev/null
wait || true
check "planted DLLs run by Quorrin" "" "$(ran)"

timeout 30 wine Brakkon.exe &
guid=$(controls Tessaly --click "Criar GUID" --click "Adicionar ao registro" --close |
  awk -F'\t' '$1 == "edit" { print $7; exit }')
wait || true
timeout 60 wine reg delete "HKCU\\Software\\Microsoft\\Internet Explorer\\Extensions\\$guid" /f \
  >/dev/null 2>&1 || true
check "planted DLLs run by Brakkon" "" "$(ran)"

report
