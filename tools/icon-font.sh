#!/usr/bin/env bash
# Puts the icon font the skin library carries as a resource (fontawesome-webfont.ttf, family
# "FontAwesome", SIL OFL 1.1) and its licence text into the given folder, from Debian's
# fonts-font-awesome package, downloaded and unpacked there. The font is never installed on the
# host: Wine also sees the host's fonts and would hide a broken private registration.
set -euo pipefail
dest=$1
font=$dest/fontawesome-webfont.ttf
licence=$dest/FontAwesome-OFL.txt
size=165548
[ -f "$font" ] && [ "$(stat -c %s "$font")" -eq "$size" ] && [ -f "$licence" ] && exit 0
mkdir -p "$dest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
# apt-get download needs the package lists; read them once when they do not know the package.
if ! (cd "$work" && apt-get download -qq fonts-font-awesome >/dev/null 2>&1); then
  $SUDO apt-get update -qq >/dev/null 2>&1 || true
  (cd "$work" && apt-get download -qq fonts-font-awesome >/dev/null 2>&1) || true
fi
deb=$(ls "$work"/fonts-font-awesome_*.deb 2>/dev/null | head -n1 || true)
if [ -z "$deb" ]; then
  echo "icon font: the package fonts-font-awesome could not be downloaded" >&2
  exit 1
fi
dpkg-deb -x "$deb" "$work/x"
src=$work/x/usr/share/fonts/truetype/font-awesome/fontawesome-webfont.ttf
if [ ! -f "$src" ] || [ "$(stat -c %s "$src")" -ne "$size" ]; then
  echo "icon font: $src is missing from the package or is not the expected $size bytes" >&2
  exit 1
fi
cp "$src" "$font"
cp "$work/x/usr/share/doc/fonts-font-awesome/copyright" "$licence"
