# bash completion for pathkeep-cli                                    -*- shell-script -*-
#
# Commands, their options, the export types and orders, import kinds, formats, and category
# names read from `pathkeep-cli category list` on the collection the line names (--collection
# or -C when already typed, else the program's own choice).

_pathkeep_cli_commands="list search add set remove open category duplicates check analyze
download import export backup restore help"

# The options every command takes.
_pathkeep_cli_common="--collection --quiet --create --wait --help"

# Prints the options of command $1, one word each.
_pathkeep_cli_options()
{
    case "$1" in
        list) echo "--query --order --format" ;;
        search) echo "--order --format" ;;
        add) echo "--category --new-category --description --rating" ;;
        set)
            echo "--location --description --category --rating --keyword --comments --user-name
                  --password --email --site-info --page-size --last-visit --last-validated
                  --validated --expires --moved-to"
            ;;
        open) echo "--query --most" ;;
        category) echo "--move-to --description --format" ;;
        duplicates) echo "--format" ;;
        check) echo "--query --timeout" ;;
        analyze) echo "--query" ;;
        download) echo "--query --all --to" ;;
        import) echo "--nested-folders --map --skip-header --category-mode --category" ;;
        export)
            echo "--order --query --category --title --rating --site-info --meta-keywords
                  --meta-description --fields --header --preformatted"
            ;;
    esac
}

# Whether option $2 of command $1 takes a value.
_pathkeep_cli_takes_value()
{
    case "$2" in
        --rating | --site-info) [[ "$1" != export ]] ;;
        --query | --order | --format | --category | --description | --move-to | --most | \
            --timeout | --to | --map | --category-mode | --title | --meta-keywords | \
            --meta-description | --fields | --location | --keyword | --comments | --user-name | \
            --password | --email | --page-size | --last-visit | --last-validated | --validated | \
            --expires | --moved-to)
            return 0
            ;;
        *) return 1 ;;
    esac
}

# The category names of the collection named on the line so far, one a line.
_pathkeep_cli_categories()
{
    local program="${COMP_WORDS[0]}" i word folder=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        word="${COMP_WORDS[i]}"
        case "$word" in
            --collection | -C) folder="${COMP_WORDS[i + 1]}" ;;
            --collection=*) folder="${word#--collection=}" ;;
        esac
    done
    folder="${folder/#\~/$HOME}"
    if [[ -n "$folder" ]]; then
        "$program" --collection "$folder" --quiet category list 2>/dev/null
    else
        "$program" --quiet category list 2>/dev/null
    fi
}

# Sets COMPREPLY to the lines of $1 that begin with $2, quoted for the shell.
_pathkeep_cli_reply_lines()
{
    local line
    COMPREPLY=()
    while IFS= read -r line; do
        [[ -n "$line" && "$line" == "$2"* ]] && COMPREPLY+=("$(printf '%q' "$line")")
    done <<<"$1"
}

_pathkeep_cli()
{
    local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD - 1]}"
    local command="" i word
    local -a positional=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        word="${COMP_WORDS[i]}"
        case "$word" in
            --collection | -C | --wait) ((i++)) ;;
            -*)
                # An option of the command that takes a value: skip the value too (export's
                # --rating and --site-info are switches).
                _pathkeep_cli_takes_value "$command" "$word" && ((i++))
                ;;
            *)
                if [[ -z "$command" ]]; then
                    command="$word"
                else
                    positional+=("$word")
                fi
                ;;
        esac
    done

    case "$prev" in
        --collection | -C | --to)
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        --category | --move-to)
            _pathkeep_cli_reply_lines "$(_pathkeep_cli_categories)" "$cur"
            return
            ;;
        --order)
            mapfile -t COMPREPLY < <(compgen -W "Location Description CatDesc CatLoc Rating Keyword" -- "$cur")
            return
            ;;
        --format)
            local formats="table csv json"
            [[ "$command" == category ]] && formats="plain json"
            [[ "$command" == duplicates ]] && formats="text json"
            mapfile -t COMPREPLY < <(compgen -W "$formats" -- "$cur")
            return
            ;;
        --category-mode)
            mapfile -t COMPREPLY < <(compgen -W "Guess Selected None" -- "$cur")
            return
            ;;
        --validated)
            mapfile -t COMPREPLY < <(compgen -W "unknown passed failed" -- "$cur")
            return
            ;;
        -*)
            if [[ "$prev" == --wait ]] || _pathkeep_cli_takes_value "$command" "$prev"; then
                COMPREPLY=()
                return
            fi
            ;;
    esac

    if [[ "$cur" == -* ]]; then
        local options="$_pathkeep_cli_common"
        [[ -z "$command" ]] && options="$options --version"
        mapfile -t COMPREPLY < <(compgen -W "$options $(_pathkeep_cli_options "$command")" -- "$cur")
        return
    fi

    if [[ -z "$command" ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$_pathkeep_cli_commands" -- "$cur")
        return
    fi

    case "$command:${#positional[@]}" in
        help:0)
            mapfile -t COMPREPLY < <(compgen -W "$_pathkeep_cli_commands" -- "$cur")
            ;;
        import:0)
            mapfile -t COMPREPLY < <(compgen -W "IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium" -- "$cur")
            ;;
        export:0)
            mapfile -t COMPREPLY < <(compgen -W "Simple Table Frame CSV ADV ASCII Bookmarks" -- "$cur")
            ;;
        import:1 | export:1)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            ;;
        backup:0 | restore:0)
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            ;;
        category:0)
            mapfile -t COMPREPLY < <(compgen -W "list add rename remove" -- "$cur")
            ;;
        category:1)
            if [[ "${positional[0]}" == rename || "${positional[0]}" == remove ]]; then
                _pathkeep_cli_reply_lines "$(_pathkeep_cli_categories)" "$cur"
            fi
            ;;
        *)
            COMPREPLY=()
            ;;
    esac
}

complete -F _pathkeep_cli pathkeep-cli
