#!/usr/bin/env bash
# Checks the bash completion of pinwright-cli: what it offers for a few command lines.
# Skipped (exit 77) when the bash-completion package is not installed.
#
#   pinwright_cli_completion_test.sh COMPLETION_FILE PINWRIGHT_CLI
set -uo pipefail
completion=$(realpath "$1") cli=$(realpath "$2")
helpers=/usr/share/bash-completion/bash_completion
if [[ ! -r $helpers ]]; then
  echo "bash-completion is not installed: skipped"
  exit 77
fi
# shellcheck source=/dev/null
source "$helpers"
# shellcheck source=/dev/null
source "$completion"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch blink.hex notes.txt
# Models that cannot be selected are listed all the same; a name may hold a space.
database=$folder/devices.txt
printf 'model: PIC18F452\r\nmodel: PIC18F4520\r\nmodel: Other Chip\r\nmodel: PIC18F252\r\n' >"$database"
# A model that can be selected, listed with its sizes and voltage ranges.
printf 'model: PIC18F46K20\r\nflash: 65536\r\neeprom: 1024\r\nvdd: 1.80-3.60\r\nvpp: 7.80-9.00\r\n' >>"$database"

failures=0
# expect LINE WORDS...: completing at the end of LINE offers exactly WORDS (sorted).
expect() {
  local line=$1
  shift
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _pinwright_cli
  local got want
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
  want=$(printf '%s\n' "$@" | sort | paste -sd ' ')
  if [[ $got != "$want" ]]; then
    echo "FAIL: \"$line\" offers [$got], expected [$want]"
    failures=$((failures + 1))
  fi
}

expect "$cli ver" verify
expect "$cli b" blankcheck
expect "$cli --sim" --simulate --sim-part --sim-fault --sim-access-ns
expect "$cli --quiet --port 2 e" erase
expect "$cli program b" blink.hex
expect "$cli --chip bl" blink.hex
expect "$cli --trace no" notes.txt
expect "$cli erase --no-" --no-fast --no-id-check
expect "$cli models --js" --json
expect "$cli --devices $database --model PIC18F45" PIC18F452 PIC18F4520
expect "$cli --devices=$database --model=PIC" PIC18F452 PIC18F4520 PIC18F252 PIC18F46K20
expect "$cli --devices $database --model Oth" 'Other\ Chip'
expect "$cli --devices $database --model PIC18F46" PIC18F46K20
expect "$cli --vd" --vdd
# Volts are typed: a file name is not offered after --vdd.
expect "$cli program --vdd "
expect "$cli --fa" --fast
expect "$cli --del" --delay-us
# A number after --delay-us, and its value is not taken for the command.
expect "$cli --delay-us "
expect "$cli --delay-us 5 prog" program
expect "$cli --devices $folder/none.txt --model a" auto
# Adapters: after a colon only the rest is offered, as readline replaces only that.
expect "$cli erase --port f" ftdi
expect "$cli --port=s" sim
expect "$cli --port di" direct:0x378
[[ -e /dev/parport0 ]] || expect "$cli --port p"
[[ -e /dev/gpiochip0 ]] || expect "$cli --port g"
expect "$cli --port direct:" 0x378
expect "$cli --pres" --presets --preset
expect "$cli check-pre" check-presets
presets=$folder/presets.txt
for name in "Tait classic (7407 + PNP)" "Tait original" "Willem"; do
  printf 'preset: %s\nkind: parallel\nvdd: 4\nvpp: 5\nclock: 3\ndataout: 2\ndatain: 10\n' "$name"
  printf 'nominalvdd: 5\nnominalvpp: 13\nkeyentry: no\nstatus: works\nsources: s\n'
done >"$presets"
expect "$cli --presets $presets --preset Tait" 'Tait\ classic\ \(7407\ +\ PNP\)' 'Tait\ original'
exit $((failures > 0))
