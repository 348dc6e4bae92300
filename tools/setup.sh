#!/bin/sh
# Installs what the build and the tests need on a Debian machine (as root, or
# through sudo), and generates the Japanese locale that Wine needs for
# non-ASCII paths. Quiet when everything is already there.
set -e
PACKAGES="cmake make g++-mingw-w64-x86-64 wine wine64 fonts-wine locales googletest clang clang-format libfuzzer-14-dev
  libclang-rt-14-dev xvfb xdotool x11-apps imagemagick fonts-ipafont-gothic fonts-ipafont-mincho
  perl util-linux python3"
SUDO=; [ "$(id -u)" = 0 ] || SUDO=sudo
missing=
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
