# bash completion for pathkeep-cli                                  -*- shell-script -*-

_pathkeep_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands="list add check analyze download import export"
    local global="--collection -C --quiet -q --create --wait --help -h"

    case $prev in
        --collection | -C | --to)
            _filedir -d
            return
            ;;
        --order)
            COMPREPLY=($(compgen -W "Location Description CatDesc CatLoc Rating Keyword" -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W "table csv json" -- "$cur"))
            return
            ;;
        --category-mode)
            COMPREPLY=($(compgen -W "Guess Selected None" -- "$cur"))
            return
            ;;
        --wait | --timeout | --query | --category | --description | --rating | --title | \
            --meta-keywords | --meta-description | --fields | --map)
            return
            ;;
    esac

    # The command and the positional arguments that follow it.
    local i command="" positional=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --collection | -C | --wait | --to | --order | --format | --category-mode | \
                --timeout | --query | --category | --description | --rating | --title | \
                --meta-keywords | --meta-description | --fields | --map)
                ((i++))
                ;;
            -*) ;;
            *)
                if [[ -z $command ]]; then
                    command=${words[i]}
                else
                    positional+=("${words[i]}")
                fi
                ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$global --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options=""
    case $command in
        list) options="--query --order --format" ;;
        add) options="--category --description --rating" ;;
        check) options="--query --timeout" ;;
        analyze) options="--query" ;;
        download) options="--query --all --to" ;;
        import) options="--nested-folders --map --skip-header --category-mode --category" ;;
        export) options="--order --query --category --title --rating --site-info
            --meta-keywords --meta-description --fields --header --preformatted" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$global $options" -- "$cur"))
        return
    fi
    case $command in
        import)
            if ((${#positional[@]} == 0)); then
                COMPREPLY=($(compgen -W "IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium" -- "$cur"))
            else
                _filedir
            fi
            ;;
        export)
            if ((${#positional[@]} == 0)); then
                COMPREPLY=($(compgen -W "Simple Table Frame CSV ADV ASCII Bookmarks" -- "$cur"))
            else
                _filedir
            fi
            ;;
    esac
} &&
    complete -F _pathkeep_cli pathkeep-cli

# ex: filetype=sh
