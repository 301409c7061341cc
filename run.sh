#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Tarvellic Pinwright.
# Until the main window exists this lists the models of the shipped device database
# with pinwright-cli; any arguments are passed on to pinwright-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if (($#)); then
  exec build/bin/pinwright-cli "$@"
fi
exec build/bin/pinwright-cli models
