# Bash completion for pinwright-cli: its commands and options, the model names of the
# device database in use for --model, the adapter preset names for --preset, and file names where a command or option takes a
# file. Needs the bash-completion package's helpers (_init_completion, _filedir).
# shellcheck disable=SC2207 # compgen's words never hold blanks here

# The model names `pinwright-cli models` lists, one a line: the column between the number
# and the sizes with the voltage ranges (or the reason a model cannot be selected).
_pinwright_cli_models() {
    local cli=$1 devices=$2
    local -a run=("$cli")
    [[ -n $devices ]] && run+=(--devices "${devices/#\~/$HOME}")
    "${run[@]}" models 2>/dev/null |
        sed -E '1d; s/^.{5}//; s/  cannot be selected: .*$//; s/  V[DP][DP] [0-9.-]+ V.*$//
            s/ +[0-9]+ +[0-9]+$//; s/ +$//'
}

# The preset names `pinwright-cli presets` lists: each preset's first line less its
# "(kind...)" ending; the indented lines and the closing count are left out.
_pinwright_cli_presets() {
    local cli=$1 presets=$2
    local -a run=("$cli")
    [[ -n $presets ]] && run+=(--presets "${presets/#\~/$HOME}")
    "${run[@]}" presets 2>/dev/null | sed -nE '/^[^ ].* \([a-z]+(, [^()]*)?\)$/{s/ \([^()]*\)$//;p}'
}

# The value of option $1 on the command line (words other than the current one), or empty.
_pinwright_cli_option_value() {
    local option=$1 i
    for ((i = 1; i < ${#words[@]}; i++)); do
        if [[ ${words[i]} == "$option" && i -ne cword ]]; then
            printf '%s' "${words[i + 1]-}"
        elif [[ ${words[i]} == "$option"=* ]]; then
            printf '%s' "${words[i]#"$option"=}"
        fi
    done
}

_pinwright_cli() {
    local cur prev words cword split
    # An adapter such as ppdev:/dev/parport0 is one word, colon and all.
    _init_completion -s -n : || return

    local commands="models convert check-devices presets check-presets program verify read erase blankcheck
        identify doctor ports config"
    local options="--devices --presets --preset --model --port --simulate --sim-part --sim-fault --chip
        --real-time --sim-access-ns --trace --fast --no-fast --delay-us --vdd --vpp --no-id-check
        --verify --json --quiet -q --help --version"
    local valued="--devices|--presets|--preset|--model|--port|--sim-part|--sim-fault|--chip|--trace|--vdd|--vpp|--delay-us|--sim-access-ns"

    case $prev in
        --devices | --presets | --trace)
            _filedir
            return
            ;;
        --chip)
            _filedir '@(hex|HEX)'
            return
            ;;
        --model)
            # The database named by --devices, else the one the program finds itself.
            local devices="" i
            for ((i = 1; i < ${#words[@]}; i++)); do
                if [[ ${words[i]} == --devices && i -ne cword ]]; then
                    devices=${words[i + 1]-}
                elif [[ ${words[i]} == --devices=* ]]; then
                    devices=${words[i]#--devices=}
                fi
            done
            local cli=${words[0]/#\~/$HOME}
            type -P -- "$cli" >/dev/null || cli=pinwright-cli
            local IFS=$'\n' name
            local -a found
            mapfile -t found < <(compgen -W "auto
$(_pinwright_cli_models "$cli" "$devices")" -- "$cur")
            COMPREPLY=()
            for name in "${found[@]}"; do
                COMPREPLY+=("$(printf '%q' "$name")")
            done
            return
            ;;
        --preset)
            local cli=${words[0]/#\~/$HOME}
            type -P -- "$cli" >/dev/null || cli=pinwright-cli
            local IFS=$'\n' name
            local -a found
            mapfile -t found < <(compgen -W "$(_pinwright_cli_presets "$cli" \
                "$(_pinwright_cli_option_value --presets)")" -- "$cur")
            COMPREPLY=()
            for name in "${found[@]}"; do
                COMPREPLY+=("$(printf '%q' "$name")")
            done
            return
            ;;
        --port)
            # The adapter forms: the three LPT numbers, the parallel port devices bare and
            # through ppdev, raw port I/O at LPT1, an FTDI board, the GPIO chips, the
            # simulated adapter.
            local device forms="1 2 3 ftdi sim direct:0x378"
            for device in /dev/parport*; do
                [[ -e $device ]] && forms+=" $device ppdev:$device"
            done
            for device in /dev/gpiochip*; do
                [[ -e $device ]] && forms+=" gpio:$device"
            done
            COMPREPLY=($(compgen -W "$forms" -- "$cur"))
            # Readline replaces only what follows the colon.
            __ltrim_colon_completions "$cur"
            return
            ;;
        --sim-fault)
            COMPREPLY=($(compgen -W "port-lost=" -- "$cur"))
            compopt -o nospace
            return
            ;;
        --sim-part)
            COMPREPLY=($(compgen -W "none" -- "$cur"))
            return
            ;;
        --vdd | --vpp | --delay-us | --sim-access-ns)
            # A number of volts, microseconds or nanoseconds: nothing to offer.
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The command is the first word that is neither an option nor an option's value.
    local command="" i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == -* ]]; then
            [[ ${words[i]} == @($valued) ]] && ((i++))
        elif [[ -z $command ]]; then
            command=${words[i]}
        fi
    done
    case $command in
        "") COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
        convert | program | verify | config) _filedir '@(hex|HEX)' ;;
        read | check-devices | check-presets) _filedir ;;
    esac
} && complete -F _pinwright_cli pinwright-cli
