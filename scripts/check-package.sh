#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder and checks it: the
# package unpacked into a temporary root must run there (pinwright-cli finds its device
# database in the package's share/pinwright, lists the models and checks the database),
# must hold the manual pages, the bash completion, the modules-load entry and the udev rule
# for FTDI boards, and lintian must find no error in it (warnings are shown, not fatal).
#
#   scripts/check-package.sh [BUILD_FOLDER]     default: build
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

rm -f "$build"/pinwright_*.deb
log=$(mktemp)
root=$(mktemp -d)
trap 'rm -rf "$root" "$log"' EXIT
if ! (cd "$build" && cpack -G DEB) >"$log" 2>&1; then
  cat "$log"
  echo "check-package.sh: cpack could not build the package" >&2
  exit 1
fi
deb=$(ls "$build"/pinwright_*.deb)
echo "-- $deb"
dpkg-deb --field "$deb" Depends

dpkg -x "$deb" "$root"
for file in usr/bin/pinwright usr/bin/pinwright-cli usr/share/pinwright/pinwrightdevices.txt \
  usr/share/pinwright/pinwrightconfig.txt usr/share/pinwright/pinwrightpresets.txt \
  usr/share/man/man1/pinwright.1.gz usr/share/man/man1/pinwright-cli.1.gz \
  usr/share/bash-completion/completions/pinwright-cli usr/lib/modules-load.d/pinwright.conf \
  lib/udev/rules.d/60-pinwright-ftdi.rules lib/udev/rules.d/60-pinwright-gpio.rules \
  usr/share/applications/pinwright.desktop usr/share/icons/hicolor/scalable/apps/pinwright.svg \
  usr/share/doc/pinwright/copyright; do
  if [[ ! -f $root/$file ]]; then
    echo "check-package.sh: the package has no /$file" >&2
    exit 1
  fi
done
"$root/usr/bin/pinwright" --version
models=$("$root/usr/bin/pinwright-cli" models)
echo "$(($(wc -l <<<"$models") - 1)) models"
"$root/usr/bin/pinwright-cli" check-devices | tee "$log"
if ! grep -qF "$root/usr/share/pinwright/pinwrightdevices.txt" "$log"; then
  echo "check-package.sh: the unpacked pinwright-cli did not check its own database" >&2
  exit 1
fi
# CONFIG1H = 02 (HS oscillator) must come back by name from the package's settings file.
printf ':020000040030CA\r\n:0100010002FC\r\n:00000001FF\r\n' >"$root/config.hex"
if ! "$root/usr/bin/pinwright-cli" config "$root/config.hex" --model 18f4520 | grep -q "OSC = HS"; then
  echo "check-package.sh: the unpacked pinwright-cli does not name configuration settings" >&2
  exit 1
fi

lintian --fail-on error "$deb"
