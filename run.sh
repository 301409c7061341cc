#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Tarvellic Pinwright on its simulated adapter
# (a virtual PIC18 on a simulated parallel port). Arguments are passed on to the program,
# for example ./run.sh --sim-part 18F4520 --chip chip.hex
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  cat >&2 <<'TEXT'
run.sh: there is no display to open the window on ($DISPLAY and $WAYLAND_DISPLAY are empty).
  Run it from a desktop session, or on a virtual display:  xvfb-run ./run.sh
  The headless front end works anywhere:  build/bin/pinwright-cli --help
TEXT
  exit 1
fi
exec build/bin/pinwright --simulate "$@"
