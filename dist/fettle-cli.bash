# bash completion for fettle-cli

_fettle_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="info save tweak conditions set-conditions seasons asm flt bgl extract render visible --help --version"
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi

    case $prev in
        -o) _filedir mdl; return ;;
        --outdir | --texture-path) _filedir -d; return ;;
        --format) COMPREPLY=($(compgen -W "RGB DDS TIF" -- "$cur")); return ;;
        --combine) COMPREPLY=($(compgen -W "and or not nor" -- "$cur")); return ;;
        --time) COMPREPLY=($(compgen -W "day dusk night" -- "$cur")); return ;;
        --suffixes | --between | --mask | --object | --rotate | --width | --height | --size | \
            --heading | --pitch | --zoom | --pan | --frames | --state | --day | --distance)
            return ;;
    esac

    local opts=""
    case ${words[1]} in
        info) opts="--json" ;;
        tweak) opts="-o --kill-shadow --restore-shadow --fix-lights --clean-dict --fix-texture-sizes --suffixes" ;;
        set-conditions) opts="-o --between --mask --rotate-user --rotate-wind --combine" ;;
        seasons) opts="--suffixes" ;;
        flt) opts="--outdir --format --no-attr --rotate" ;;
        extract) opts="--object" ;;
        render) opts="--width --height --size --heading --pitch --zoom --pan --texture-path --frames --state --day --time --distance" ;;
        visible) opts="--state --day --time --distance" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$opts" -- "$cur"))
        return
    fi
    case ${words[1]} in
        bgl | extract) ((cword == 2)) && _filedir bgl || _filedir -d ;;
        render) ((cword == 3)) && _filedir png || _filedir mdl ;;
        asm) ((cword == 3)) && _filedir asm || _filedir mdl ;;
        *) _filedir mdl ;;
    esac
} &&
    complete -F _fettle_cli fettle-cli
