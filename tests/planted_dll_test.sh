#!/usr/bin/env bash
# A download's folder where a web page has dropped DLLs named after those the
# system loads once a program runs, and after one more that the system
# folder holds (wtsapi32). Wine is told to search for those names as Windows
# does, program's folder first. Each program, started from that folder and
# used through every button and its link, must run none of them. After the
# guard, a probe that loads every name runs none either: the restricted
# search keeps the program's folder out of every later load, whatever the
# name. The fallback for systems that cannot restrict the search preloads
# the listed names from the system folder, passing over those it lacks, and
# keeps the current folder out (tried with a name that no system folder
# holds); the program's folder it cannot keep out, so the names the system
# folder lacks and the one outside the list still run there. The same probe
# unguarded shows that every planted DLL would run.
# Arguments: Quorrin.exe Brakkon.exe window_controls.exe dll_probe.exe
# planted.dll. Runs inside a Wine session.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
mapfile -t args < <(realpath "$@")
quorrin=${args[0]} brakkon=${args[1]} controls=${args[2]} probe=${args[3]} planted=${args[4]}
# The names preloaded where the search cannot be restricted, as the guard
# lists them. Wine's system folder lacks clbcatq, cryptbase and oleaccrc.
listed=(uxtheme msimg32 actxprxy userenv setupapi apphelp propsys dwmapi cryptbase oleacc clbcatq
  version oleaccrc)
names=("${listed[@]}" wtsapi32)
downloads=$(mktemp -d)
trap 'rm -rf "$downloads"' EXIT
cp "$quorrin" "$brakkon" "$probe" "$downloads/"
for name in "${names[@]}"; do cp "$planted" "$downloads/$name.dll"; done
mkdir "$downloads/current"
cp "$planted" "$downloads/current/absent.dll"
cd "$downloads"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(IFS=,; echo "${names[*]}")=n,b"
ran() { ls -- *.ran current/*.ran 2>/dev/null | tr '\n' ' ' || true; rm -f -- *.ran current/*.ran; }
controls() { timeout 60 wine "$controls" "$@" | tr -d '\r' || true; }
# Clicks the centre of the control of class $2 whose text is $3, through X.
click() {
  controls "$1" | awk -F'\t' -v cls="$2" -v text="$3" \
    '$1 == cls && $7 == text { print int(($2 + $4) / 2), int(($3 + $5) / 2) }' |
    { read -r x y && xdotool mousemove "$x" "$y" click 1 || true; }
}
probe=$(basename "$probe")

run_probe() {
  (cd current && timeout 60 wine "../$probe" "$@" "${names[@]/%/.dll}" absent.dll >/dev/null) || true
}
run_probe
check "planted DLLs run by a process that does not guard" "actxprxy.dll.ran apphelp.dll.ran \
clbcatq.dll.ran cryptbase.dll.ran current/absent.dll.ran dwmapi.dll.ran msimg32.dll.ran \
oleacc.dll.ran oleaccrc.dll.ran propsys.dll.ran setupapi.dll.ran userenv.dll.ran uxtheme.dll.ran \
version.dll.ran wtsapi32.dll.ran " "$(ran)"
run_probe --guard
check "planted DLLs run after the guard" "" "$(ran)"
run_probe --fallback
check "planted DLLs run after the fallback" \
  "clbcatq.dll.ran cryptbase.dll.ran oleaccrc.dll.ran wtsapi32.dll.ran " "$(ran)"

# Wine's own system DLLs import version, so it is loaded before a program's
# first line, as imports are (README: "Started from a Downloads folder"):
# searched for as Wine does for the programs.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES/,version,/,}
timeout 120 wine Quorrin.exe &
q="Quorrin - Porn Site Closer"
controls "$q" --click "Start Closing" --click "Stop Closing" --click "Open Selected Site" \
  --click "Clean Supressed List" >/dev/null
click "$q" static "Made by Drabwick - Click to visite my site"
# The page it opens, shown before Close is clicked: shown during the click,
# it would take the front and the press with it.
controls "https://drabwick.example.org/" >/dev/null
controls "$q" --click Close >/dev/null
wait || true
check "planted DLLs run by Quorrin" "" "$(ran)"

timeout 120 wine Brakkon.exe &
guid=$(controls Tessaly --click "Criar GUID" --click "Adicionar ao registro" --close |
  awk -F'\t' '$1 == "edit" { print $7; exit }')
wait || true
timeout 60 wine reg delete "HKCU\\Software\\Microsoft\\Internet Explorer\\Extensions\\$guid" /f \
  >/dev/null 2>&1 || true
check "planted DLLs run by Brakkon" "" "$(ran)"

report
