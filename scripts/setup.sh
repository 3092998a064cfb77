#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and the
# machine lacks. Quick and silent when everything is there.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in cmake make g++ clang-format googletest libgtest-dev libgmock-dev \
         g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
         wine wine32:i386 wine64 fonts-wine xvfb xauth icoutils python3 \
         mingw-w64-tools libwine-dev libfreetype6 \
         openbox x11-utils x11-apps x11-xserver-utils xdotool imagemagick \
         osslsigncode openssl unzip; do
  have "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

cmd="dpkg --add-architecture i386 && apt-get update &&"
cmd+=" apt-get install -y --no-install-recommends ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${need[*]}" >&2
  echo "Run as root: $cmd" >&2
  exit 1
fi
echo "setup: installing ${need[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
