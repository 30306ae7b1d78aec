# fish completion for pathkeep-cli: commands, options, export types and orders, import kinds,
# formats, and the category names of the collection the line names (read through
# `pathkeep-cli category list`).

set -l commands list search add set remove open category duplicates check analyze download import export backup restore help

# The category names of the collection named on the line so far (--collection or -C).
function __pathkeep_cli_categories
    set -l tokens (commandline -opc)
    set -l collection
    for i in (seq 2 (count $tokens))
        switch $tokens[$i]
            case --collection -C
                set -l next (math $i + 1)
                if test $next -le (count $tokens)
                    set collection --collection $tokens[$next]
                end
            case '--collection=*'
                set collection --collection (string replace -- --collection= '' $tokens[$i])
        end
    end
    $tokens[1] $collection --quiet category list 2>/dev/null
end

# True when the command on the line is one of the arguments.
function __pathkeep_cli_using
    __fish_seen_subcommand_from $argv
end

# True when the command is $argv[1] and it has $argv[2] words after it so far.
function __pathkeep_cli_argument
    set -l tokens (commandline -opc)
    set -l seen 0
    set -l after 0
    for token in $tokens[2..-1]
        if test $seen -eq 1
            string match -q -- '-*' $token; or set after (math $after + 1)
        else if test "$token" = $argv[1]
            set seen 1
        end
    end
    test $seen -eq 1 -a $after -eq $argv[2]
end

complete -c pathkeep-cli -f

# Options of every command.
complete -c pathkeep-cli -s C -l collection -r -a '(__fish_complete_directories)' -d 'The collection folder'
complete -c pathkeep-cli -s q -l quiet -d 'Only warnings and errors'
complete -c pathkeep-cli -l create -d 'Make an empty collection where there is none'
complete -c pathkeep-cli -l wait -x -d 'Seconds to wait for a busy collection'
complete -c pathkeep-cli -s h -l help -d 'Describe the command'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'

# Commands.
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a list -d 'List the locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a search -d 'Locations whose texts contain TEXT'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a add -d 'Add one location'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a set -d 'Change fields of one location'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a remove -d 'Remove locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a open -d 'Open locations in the browser'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a category -d 'List, add, rename or remove categories'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a duplicates -d 'Groups of near-duplicate locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a check -d 'Test the links'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a analyze -d 'Fill in descriptions from the pages'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a download -d 'Save pages to a folder'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a import -d 'Import locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a export -d 'Export locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a backup -d 'Copy the collection to a backup folder'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Put a backup back'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'Describe a command'
complete -c pathkeep-cli -n "__pathkeep_cli_argument help 0" -a "$commands"

# Shared options.
complete -c pathkeep-cli -n "__pathkeep_cli_using list check analyze download export open" -l query -x -d 'A filter of the query wizard'
complete -c pathkeep-cli -n "__pathkeep_cli_using list search export" -l order -x -a 'Location Description CatDesc CatLoc Rating Keyword' -d 'The order'
complete -c pathkeep-cli -n "__pathkeep_cli_using list search" -l format -x -a 'table csv json' -d 'The output format'
complete -c pathkeep-cli -n "__pathkeep_cli_using add set import export" -l category -x -a '(__pathkeep_cli_categories)' -d 'A category'

# add
complete -c pathkeep-cli -n "__pathkeep_cli_using add" -l new-category -d 'Make the category when missing'
complete -c pathkeep-cli -n "__pathkeep_cli_using add set" -l description -x -d 'The description'
complete -c pathkeep-cli -n "__pathkeep_cli_using add set" -l rating -x -d 'The rating, -99 to 99'

# set
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l location -x -d 'A new address'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l keyword -x -d 'The keyword'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l comments -x -d 'The comments'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l user-name -x -d 'The user name'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l password -x -d 'The password'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l email -x -d 'The e-mail address'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l site-info -x -d 'The site information'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l page-size -x -d 'The page size'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l last-visit -x -d 'The last visit, yyyy-MM-dd'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l last-validated -x -d 'The last validation, yyyy-MM-dd'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l validated -x -a 'unknown passed failed' -d 'The state of the last check'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l expires -x -d 'The expiry date, yyyy-MM-dd'
complete -c pathkeep-cli -n "__pathkeep_cli_using set" -l moved-to -x -d 'The address it moved to'

# open
complete -c pathkeep-cli -n "__pathkeep_cli_using open" -l most -x -d 'Open at most this many'

# category
complete -c pathkeep-cli -n "__pathkeep_cli_argument category 0" -a 'list add rename remove'
complete -c pathkeep-cli -n "__pathkeep_cli_argument category 1; and __fish_seen_subcommand_from rename remove" -a '(__pathkeep_cli_categories)'
complete -c pathkeep-cli -n "__pathkeep_cli_using category" -l move-to -x -a '(__pathkeep_cli_categories)' -d 'Move the locations to this category'
complete -c pathkeep-cli -n "__pathkeep_cli_using category" -l description -x -d 'The description of a new category'
complete -c pathkeep-cli -n "__pathkeep_cli_using category" -l format -x -a 'plain json' -d 'The output of list'

# duplicates
complete -c pathkeep-cli -n "__pathkeep_cli_using duplicates" -l format -x -a 'text json' -d 'The output format'

# check, download
complete -c pathkeep-cli -n "__pathkeep_cli_using check" -l timeout -x -d 'Seconds each test waits'
complete -c pathkeep-cli -n "__pathkeep_cli_using download" -l all -d 'Save every location'
complete -c pathkeep-cli -n "__pathkeep_cli_using download" -l to -r -a '(__fish_complete_directories)' -d 'The folder the pages go to'

# import
complete -c pathkeep-cli -n "__pathkeep_cli_argument import 0" -a 'IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium'
complete -c pathkeep-cli -n "__pathkeep_cli_argument import 1" -F
complete -c pathkeep-cli -n "__pathkeep_cli_using import" -l nested-folders -d 'Keep nested folders as folder chains'
complete -c pathkeep-cli -n "__pathkeep_cli_using import" -l map -x -d 'The columns to read'
complete -c pathkeep-cli -n "__pathkeep_cli_using import" -l skip-header -d 'The first record is a header'
complete -c pathkeep-cli -n "__pathkeep_cli_using import" -l category-mode -x -a 'Guess Selected None' -d 'How categories are chosen'

# export
complete -c pathkeep-cli -n "__pathkeep_cli_argument export 0" -a 'Simple Table Frame CSV ADV ASCII Bookmarks'
complete -c pathkeep-cli -n "__pathkeep_cli_argument export 1" -F
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l title -x -d 'The page title'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l rating -d 'Include the rating'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l site-info -d 'Include the site information'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l meta-keywords -x -d 'Meta keywords'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l meta-description -x -d 'Meta description'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l fields -x -d 'The fields of an ADV export'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l header -d 'A first record of field names'
complete -c pathkeep-cli -n "__pathkeep_cli_using export" -l preformatted -d 'Fill the HTML templates'

# backup, restore
complete -c pathkeep-cli -n "__pathkeep_cli_argument backup 0; or __pathkeep_cli_argument restore 0" -a '(__fish_complete_directories)'
