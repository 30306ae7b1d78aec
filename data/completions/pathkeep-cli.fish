# fish completion for pathkeep-cli

set -l commands list add check analyze download import export
set -l orders Location Description CatDesc CatLoc Rating Keyword

complete -c pathkeep-cli -f
complete -c pathkeep-cli -s C -l collection -r -a '(__fish_complete_directories)' -d 'The collection folder'
complete -c pathkeep-cli -s q -l quiet -d 'Only warnings and errors on standard error'
complete -c pathkeep-cli -l create -d 'Make an empty collection when the folder has none'
complete -c pathkeep-cli -l wait -x -d 'Seconds to wait for a collection another program writes'
complete -c pathkeep-cli -s h -l help -d 'Describe the commands'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'

complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a list -d 'List the locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a add -d 'Add one location'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a check -d 'Test the links and record the results'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a analyze -d 'Fill in descriptions and details from the pages'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a download -d 'Save pages to a folder'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a import -d 'Import locations'
complete -c pathkeep-cli -n "not __fish_seen_subcommand_from $commands" -a export -d 'Export locations'

complete -c pathkeep-cli -n "__fish_seen_subcommand_from list check analyze download export" -l query -x -d 'A filter of the query wizard'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from list export" -l order -x -a "$orders" -d 'The order'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from list" -l format -x -a 'table csv json' -d 'The output format'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from add import export" -l category -x -d 'The category'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from add" -l description -x -d 'Its description'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from add" -l rating -x -d 'Its rating, -99 to 99'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l rating -d 'Include the rating'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from check" -l timeout -x -d 'Seconds each test waits for an answer'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from download" -l all -d 'Save every location'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from download" -l to -r -a '(__fish_complete_directories)' -d 'The folder the pages are saved to'

complete -c pathkeep-cli -n "__fish_seen_subcommand_from import; and not __fish_seen_subcommand_from IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium" -a 'IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium' -d 'Kind'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium" -F
complete -c pathkeep-cli -n "__fish_seen_subcommand_from import" -l nested-folders -d 'Read a bookmark file as browsers write it'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from import" -l map -x -d 'ADV: the columns to read'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from import" -l skip-header -d 'ADV with --map: the first record is a header'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from import" -l category-mode -x -a 'Guess Selected None' -d 'How categories are chosen'

complete -c pathkeep-cli -n "__fish_seen_subcommand_from export; and not __fish_seen_subcommand_from Simple Table Frame CSV ADV ASCII Bookmarks" -a 'Simple Table Frame CSV ADV ASCII Bookmarks' -d 'Type'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from Simple Table Frame CSV ADV ASCII Bookmarks" -F
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l title -x -d 'The page title of an HTML export'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l site-info -d 'Include the site information'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l meta-keywords -x -d 'Meta keywords of an HTML page'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l meta-description -x -d 'Meta description of an HTML page'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l fields -x -d 'ADV: the fields in order'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l header -d 'ADV: a first record of field names'
complete -c pathkeep-cli -n "__fish_seen_subcommand_from export" -l preformatted -d 'Fill the Default_*.htm templates'
