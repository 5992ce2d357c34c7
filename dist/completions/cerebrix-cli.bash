# bash completion for cerebrix-cli                         -*- shell-script -*-

_cerebrix_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands="info generate render new help"
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help -h --version -V" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $prev in
        -o | --output)
            if [[ $command == render ]]; then
                _filedir '@(png|jpg|jpeg|bmp|webp|ppm)'
            else
                _filedir brain
            fi
            return
            ;;
        --from-image)
            _filedir '@(png|jpg|jpeg|bmp|gif|webp|ppm|pgm|pbm|tif|tiff)'
            return
            ;;
        --layer)
            COMPREPLY=($(compgen -W "all" -- "$cur"))
            return
            ;;
        -n | --generations | --size | --scale | --colour)
            return
            ;;
    esac

    if [[ $command == help ]]; then
        ((cword == 2)) && COMPREPLY=($(compgen -W "info generate render new" -- "$cur"))
        return
    fi

    local options
    case $command in
        info) options="--json" ;;
        generate) options="-n --generations -o --output --every --json" ;;
        render) options="--layer -o --output --scale" ;;
        new) options="--size -o --output --from-image --colour --json" ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help --version" -- "$cur"))
    elif [[ $command != new ]]; then
        _filedir brain
    fi
} &&
    complete -F _cerebrix_cli cerebrix-cli

# ex: filetype=sh
