# bash completion for sigilry-cli                          -*- shell-script -*-

_sigilry_cli()
{
    local cur prev words cword
    _init_completion -n = || return

    case $prev in
        --settings)
            _filedir ini
            return
            ;;
        --list)
            _filedir lst
            return
            ;;
        --password | --owner-password)
            return
            ;;
        --output-dir | -o)
            _filedir -d
            return
            ;;
        --report|--bates-record)
            _filedir
            return
            ;;
        --report-format)
            COMPREPLY=($(compgen -W 'tsv json' -- "$cur"))
            return
            ;;
        --set)
            # KEY= from the keys the program lists, then the value's choices;
            # readline completes only the part after "=" (a word break)
            if [[ $cur == *=* ]]; then
                local key=${cur%%=*} allowed
                allowed=$("$1" --keys 2>/dev/null | awk -F'\t' -v k="$key" 'tolower($2) == tolower(k) { print $4 }')
                if [[ $allowed == *"|"* ]]; then
                    COMPREPLY=($(compgen -W "${allowed//|/ }" -- "${cur#*=}"))
                elif [[ $allowed =~ ^(-?[0-9]+)-([0-9]+)\ \(-?[0-9]+\  ]]; then
                    COMPREPLY=($(compgen -W "$(seq "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")" -- "${cur#*=}"))
                fi
            else
                COMPREPLY=($(compgen -S = -W "$("$1" --keys 2>/dev/null | cut -f2)" -- "$cur"))
                compopt -o nospace
            fi
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--settings --list --set --keys --password --owner-password --yes --quiet --no-sync --no-repair --allow-certified --output-dir --keep-tree --prefix --force --report --report-format --save-next --bates-record --erase --help --version' -- "$cur"))
        return
    fi
    _filedir pdf
} &&
    complete -F _sigilry_cli sigilry-cli

# ex: filetype=sh
