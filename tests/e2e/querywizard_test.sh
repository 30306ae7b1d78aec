#!/usr/bin/env bash
# The query wizard in the real program, read through the accessibility bus as a screen reader
# reads it: every operator of the first field and every button has its text. A rating the field
# cannot hold is refused with the range. Then the program is told to end (SIGTERM) while the
# wizard, and in a second run the Find dialog, is open: it must close cleanly every time.
set -euo pipefail
pathkeep="$1"
seed="$2"
source "$(dirname "$0")/e2elib.sh"
e2e_setup

"$seed" fill "$work/collection" 5 >/dev/null || fail "could not fill the collection"

open_wizard() {
  atspi click 'Pathkeep 2005' 'Query' || fail "no Query button in the location list"
  atspi wait 'Query Wizard' 20 || fail "the query wizard did not open"
}

# --- The wizard's texts -------------------------------------------------------------------
e2e_start "$pathkeep"
e2e_wait_frame
atspi wait 'Pathkeep 2005' || fail "pathkeep is not on the accessibility bus"
open_wizard
atspi texts 'Query Wizard' >"$work/texts"

# The first field (Location) is text: ten operators, by their names.
for op in "Is Equal To" "Is NOT Equal To" "Is Greater Than" "Is Less Than" \
          "Is Greater Than or Equal To" "Is Less Than or Equal To" "Begins With" "Contains" \
          "Does NOT Begin With" "Does NOT Contain"; do
  grep -qxF "$op" <(cut -f2 "$work/texts") || { cat "$work/texts" >&2; fail "operator '$op' not shown"; }
done
for label in "< Back" "Next >" "Finish" "Cancel" "AND" "OR" "Change" "Remove"; do
  grep -qP "^push button\t\Q$label\E\t" "$work/texts" \
    || { cat "$work/texts" >&2; fail "no button '$label'"; }
done
if grep -P "^push button\t\t" "$work/texts"; then fail "a button without text"; fi
if grep -P "^(list item|menu item)\t\t" "$work/texts"; then fail "an entry without text"; fi

# --- A rating the field cannot hold --------------------------------------------------------
wizard="$(e2e_wait_name '^Query Wizard$' 25)" || fail "no X window for the wizard"
xdotool windowfocus "$wizard"; sleep 0.3
# Focus starts on the field list: "R" picks Rating; Tab twice reaches the value.
xdotool key --delay 80 r Tab Tab
xdotool type --delay 20 "99999999999999999999"
atspi click 'Query Wizard' 'Next >'
atspi wait 'Invalid Query' 20 || fail "an out-of-range rating was accepted"
atspi texts 'Invalid Query' >"$work/invalid"
grep -q "from 0 to 99" "$work/invalid" || { cat "$work/invalid" >&2; fail "the message does not give the range"; }
atspi click 'Invalid Query' 'OK' || fail "no OK in the message"
sleep 0.5

# --- SIGTERM with the wizard open -----------------------------------------------------------
kill -TERM "$pid"
e2e_ended 50 || fail "pathkeep did not end after SIGTERM with the query wizard open"
[ "$status" -eq 0 ] || fail "SIGTERM with the query wizard open: exit status $status"
grep -qi '^\[BrowsePATHKEEP\]' "$XDG_CONFIG_HOME/pathkeep/POSITION.INI" \
  || fail "the list's position was not saved on SIGTERM"

# --- SIGTERM with the Find dialog open -------------------------------------------------------
e2e_start "$pathkeep"
e2e_wait_frame
frame="$(e2e_wait_name '^Pathkeep 2005$' 25)"
# The list has the focus once the splash is gone.
xdotool windowfocus "$frame"; sleep 0.3
xdotool key ctrl+f
atspi wait 'Find...' 20 || fail "Ctrl+F did not open the Find dialog"
kill -TERM "$pid"
e2e_ended 50 || fail "pathkeep did not end after SIGTERM with the Find dialog open"
[ "$status" -eq 0 ] || fail "SIGTERM with the Find dialog open: exit status $status"
echo "PASS"
