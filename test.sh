#!/usr/bin/env bash
# Sets up what is missing, builds with warnings as errors, and runs every test: the suite,
# the Debian package and its check, the suite again under AddressSanitizer + UBSan, the
# device database check, and each fuzzer for a short time.
#
#   ./test.sh                 everything
#   ./test.sh --no-package    skip the package (also PINWRIGHT_NO_PACKAGE=1)
#   ./test.sh --no-sanitize   skip the sanitizer build (also PINWRIGHT_NO_SANITIZE=1)
#   ./test.sh --no-fuzz       skip the fuzzers (also PINWRIGHT_NO_FUZZ=1)
set -euo pipefail
cd "$(dirname "$0")"

sanitize=${PINWRIGHT_NO_SANITIZE:-0}
fuzz=${PINWRIGHT_NO_FUZZ:-0}
package=${PINWRIGHT_NO_PACKAGE:-0}
for arg in "$@"; do
  case "$arg" in
    --no-sanitize) sanitize=1 ;;
    --no-fuzz) fuzz=1 ;;
    --no-package) package=1 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "test.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

scripts/setup.sh
jobs=$(nproc)

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPINWRIGHT_WERROR=ON >/dev/null
cmake --build build -j "$jobs"

echo "== device database"
build/bin/pinwright-cli check-devices

echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

if [[ $package == 0 ]]; then
  echo "== Debian package"
  scripts/check-package.sh build
fi

if [[ $sanitize == 0 ]]; then
  echo "== tests under AddressSanitizer + UBSan"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPINWRIGHT_SANITIZE=ON \
    -DPINWRIGHT_WERROR=ON >/dev/null
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

if [[ $fuzz == 0 ]]; then
  echo "== fuzzers"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPINWRIGHT_FUZZ=ON -DPINWRIGHT_WERROR=ON >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzz_read_hex fuzz_device_table
  # A finding (crash-*, leak-*, timeout-*, oom-*) is kept in fuzz/findings/, which git
  # ignores; the fuzzer's whole report is shown and the script fails.
  mkdir -p fuzz/findings
  for target in fuzz_read_hex fuzz_device_table; do
    corpus=$(mktemp -d)
    log=$(mktemp)
    cp -r "fuzz/corpus/${target#fuzz_}/." "$corpus/"
    echo "-- $target"
    if "build-fuzz/bin/$target" -max_total_time=30 -max_len=65536 -print_final_stats=0 \
      -artifact_prefix=fuzz/findings/ "$corpus" >"$log" 2>&1; then
      tail -n 1 "$log"
      rm -rf "$corpus" "$log"
    else
      cat "$log"
      rm -rf "$corpus" "$log"
      echo "test.sh: $target found a problem; the input is in fuzz/findings/" >&2
      exit 1
    fi
  done
fi
echo "== all tests passed"
