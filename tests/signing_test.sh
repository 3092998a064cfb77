#!/usr/bin/env bash
# A release signed by the `dist` target, as `make dist` runs it, with a
# throwaway certificate: each signature holds against that certificate, the
# zips hold the signed executables and SHA256SUMS matches the zips, the
# password reaches no command line, a time-stamp server's address reaches
# osslsigncode, the signed programs still start and work under Wine, and
# with its signature removed each executable is the unsigned release's.
#   signing_test.sh <source dir> <build dir> <pointer size> <window_controls.exe>
#                   <Quorrin.exe> <Brakkon.exe>
# Runs the programs only where this host's Wine runs them (the 32-bit build
# needs a kernel that executes 32-bit code), in a Wine session.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
src=$1 build=$2 pointer_size=$3 controls=$4 quorrin=$5 brakkon=$6
runs=no
if [ "$pointer_size" = 8 ] || [ "$("$src/scripts/wine-preset.sh")" = win32 ]; then runs=yes; fi
if [ $runs = yes ] && [ "${WINE_SESSION:-}" != 1 ]; then
  exec "$src/scripts/with-wine.sh" bash "$0" "$@"
fi
# Only what the test sets reaches the release; an outer make's job server is
# not this build's, and no proxy stands between osslsigncode and the address.
unset SIGN_PFX SIGN_PASSWORD SIGN_PASSWORD_FILE SIGN_TIMESTAMP_URL SIGN_INFO_URL DIST_DIR \
  MAKEFLAGS MFLAGS MAKELEVEL http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A self-signed code-signing certificate, packed with its key under a
# password that a shell would split and expand.
password='throw away $HOME|pass'
printf '%s' "$password" >"$work/password"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 2 -subj "/CN=Signing test" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
  -passout "file:$work/password"

# osslsigncode as the release finds it on PATH, recording its arguments.
mkdir "$work/bin"
cat >"$work/bin/osslsigncode" <<EOF
#!/bin/sh
echo "\$*" >>"$work/argv"
exec $(command -v osslsigncode) "\$@"
EOF
chmod +x "$work/bin/osslsigncode"
release() {  # release NAME [VARIABLE=VALUE]...: the dist target into $work/NAME
  local out=$work/$1
  shift
  env PATH="$work/bin:$PATH" DIST_DIR="$out" "$@" \
    cmake --build "$build" --target dist >"$out.log" 2>&1
}
unpack() {  # unpack NAME: each zip of the release into $work/NAME/<program>
  for program in Quorrin Brakkon; do
    check "$1 zip of $program" "$program.exe README.txt" \
      "$(cd "$work/$1" && unzip -Z1 "$program"-*.zip | xargs)"
    unzip -q -d "$work/$1/$program" "$work/$1/$program"-*.zip
  done
}

# Without a certificate: the executables as built, unsigned.
release unsigned || { cat "$work/unsigned.log"; exit 1; }
unpack unsigned
check "unsigned Quorrin.exe" "as built" "$(cmp -s "$quorrin" "$work/unsigned/Quorrin/Quorrin.exe" && echo "as built")"
check "unsigned Brakkon.exe" "as built" "$(cmp -s "$brakkon" "$work/unsigned/Brakkon/Brakkon.exe" && echo "as built")"

# Signed, the password from the environment.
release signed SIGN_PFX="$work/cert.pfx" SIGN_PASSWORD="$password" \
  SIGN_INFO_URL=https://example.org/signing-test || { cat "$work/signed.log"; exit 1; }
unpack signed
check "SHA256SUMS" "Brakkon-*.zip: OK Quorrin-*.zip: OK" \
  "$(cd "$work/signed" && sha256sum --check --strict SHA256SUMS | sed 's/-[0-9.]*\.zip/-*.zip/' | xargs)"
for program in Quorrin Brakkon; do
  exe=$work/signed/$program/$program.exe
  # The lines of the report that say who signed what, how, and that it holds.
  report=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$exe" 2>&1 |
    sed 's/^[[:space:]]*//' | grep -E '^(Message digest algorithm  :|Subject:|Text description:|URL description:|Signature verification:)' | sort -u | paste -sd'|' || true)
  check "$program.exe signature" "Message digest algorithm  : SHA256|Signature verification: ok|Subject: /CN=Signing test|Text description: $program|URL description: https://example.org/signing-test" "$report"
  # Signing changes two fields of the optional header, the PE checksum (at
  # its offset 64) and the certificate table's entry of the data directory
  # (offset 128, or 144 in a 64-bit header: the signature's place and size),
  # and appends the signature at the end, which the linker's 512-byte file
  # alignment already leaves aligned to 8. remove-signature cuts it off,
  # clears the entry and computes the checksum again; ld wrote a correct one,
  # so the bytes come back whole.
  osslsigncode remove-signature -in "$exe" -out "$work/$program-removed.exe" >/dev/null || true
  check "$program.exe without its signature" "the unsigned release's" \
    "$(cmp -s "$work/$program-removed.exe" "$work/unsigned/$program/$program.exe" && echo "the unsigned release's")"
  echo "$program.exe: $(($(stat -c %s "$exe") - $(stat -c %s "$work/unsigned/$program/$program.exe"))) bytes of signature"
done

# With a time-stamp server's address: osslsigncode is told it, and reads the
# password from the file. Nothing listens at port 1 here, so no time stamp
# comes and no release is made.
status=0
release stamped SIGN_PFX="$work/cert.pfx" SIGN_PASSWORD_FILE="$work/password" \
  SIGN_TIMESTAMP_URL=http://127.0.0.1:1/ || status=$?
check "release without the time stamp it was given" "failed, nothing written" \
  "$([ $status != 0 ] && echo failed), $([ -z "$(ls -A "$work/stamped")" ] && echo nothing written)"
check "osslsigncode given the address and the password file, the key read" "1 1" \
  "$(grep -- "-ts http://127.0.0.1:1/ " "$work/argv" | grep -c -- "-readpass $work/password ") $(grep -c 'Connecting to http://127.0.0.1:1/' "$work/stamped.log")"
check "signings seen, the password in no argument list or output" "3 0" \
  "$(wc -l <"$work/argv") $(cat "$work/argv" "$work"/*.log | grep -cF -- "$password")"

# The signed programs at work: Quorrin shows its window with its controls,
# Brakkon makes a new GUID at a click on "Criar GUID".
if [ $runs = yes ]; then
  # Each control's class and text, in tab order; with more arguments, clicks first.
  shown() { timeout 60 wine "$controls" "$@" | tr -d '\r' | cut -f1,7 | tr '\t' ' ' || true; }
  timeout 60 wine "$work/signed/Quorrin/Quorrin.exe" &
  check "signed Quorrin's window" "window Quorrin - Porn Site Closer
edit List of bloqued sites!
button Start Closing
button Close
listbox 
edit 
button Stop Closing
button Open Selected Site
button Clean Supressed List
static Made by Drabwick - Click to visite my site" "$(shown 'Quorrin - Porn Site Closer' --close)"
  wait
  timeout 60 wine "$work/signed/Brakkon/Brakkon.exe" &
  guid() { awk '$1 == "edit" { print $2; exit }'; }
  before=$(shown Tessaly | guid)
  after=$(shown Tessaly --click "Criar GUID" --close | guid)
  wait
  pattern='^\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}$'
  check "signed Brakkon's GUID before and after Criar GUID" "two GUIDs, different" \
    "$(grep -Ec "$pattern" <<<"$before"$'\n'"$after" | sed 's/^2$/two GUIDs/'), $([ "$before" != "$after" ] && echo different)"
else
  echo "this host's Wine runs no 32-bit code: the 64-bit build's signing test runs the signed programs"
fi

report
