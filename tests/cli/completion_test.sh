#!/usr/bin/env bash
# The bash completion of pathkeep-cli: commands, options, export types and orders, and the
# category names of the collection the line names, read through the real program.
set -uo pipefail
cli="$(realpath "$1")"
completion="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
unset PATHKEEP_COLLECTION
mkdir -p "$HOME" "$work/named" "$work/other"
for category in News "News: Local" Tools; do
  "$cli" --collection "$work/named" --create --quiet category add "$category" || exit 1
done
"$cli" --collection "$work/other" --create --quiet category add Elsewhere || exit 1

# shellcheck source=/dev/null
source "$completion"

passed=0
failed=0
# complete WORD... : runs the completion with the cursor on the last word (the program first).
complete_line() {
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _pathkeep_cli
}
# expect "what" EXPECTED... : COMPREPLY holds exactly these words, in any order.
expect() {
  local what="$1"
  shift
  local got want
  got="$(printf '%s\n' "${COMPREPLY[@]}" | sort)"
  want="$(printf '%s\n' "$@" | sort)"
  if [ "$got" == "$want" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED %s\n  wanted: %s\n  got:    %s\n' "$what" "$(echo $want)" "$(echo $got)"
  fi
}

complete_line ""
expect "every command" list search add set remove open category duplicates check analyze \
  download import export backup restore help
complete_line "c"
expect "commands by their start" category check
complete_line --collection "$work/named" "d"
expect "commands after a global option" duplicates download

complete_line --collection "$work/named" add http://a.test/ --category ""
expect "categories of the collection named on the line" News 'News:\ Local' Tools
complete_line -C "$work/named" category remove "N"
expect "categories to remove" News 'News:\ Local'
complete_line "--collection=$work/other" category rename ""
expect "--collection=DIR" Elsewhere
cd "$work/named"
complete_line import CSV file.csv --category "T"
expect "the current folder's categories" Tools
cd "$work"
PATHKEEP_COLLECTION="$work/other" complete_line category remove ""
expect "PATHKEEP_COLLECTION" Elsewhere
complete_line --collection "$work/nowhere" add URL --category ""
expect "no categories where there is no collection"

complete_line export ""
expect "export types" Simple Table Frame CSV ADV ASCII Bookmarks
complete_line export --rating "T"
expect "export's --rating is a switch" Table
complete_line list --order "Cat"
expect "orders" CatDesc CatLoc
complete_line import ""
expect "import kinds" IE Netscape HTML CSV ADV ASCII Previous Firefox Chromium
complete_line category list --format ""
expect "category formats" plain json
complete_line search garden --format ""
expect "location formats" table csv json
complete_line category ""
expect "category actions" list add rename remove
complete_line help "se"
expect "help topics" search set
complete_line open --"m"
expect "open's options" --most
complete_line set URL --rating ""
expect "nothing for a value to type"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
