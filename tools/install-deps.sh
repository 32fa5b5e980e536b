#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need. Idempotent and quiet.
set -euo pipefail
pkgs=(cmake ninja-build ccache googletest
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
      wine wine64 fonts-wine fonts-dejavu-core xvfb xauth
      mariadb-server mariadb-client unixodbc odbc-mariadb
      python3 python3-cryptography python3-fonttools)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The database server is started by the test script on private data; keep the package from starting one.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
  $SUDO chmod +x /usr/sbin/policy-rc.d
  trap '$SUDO rm -f /usr/sbin/policy-rc.d' EXIT
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
