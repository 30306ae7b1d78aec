#!/usr/bin/env bash
# A fatal error met while the program runs (File, Open Database on a folder whose URLDATA.TPS
# is not a database: "Invalid File") ends it through the normal close: after the message the
# program exits with status 1 and the main window's position is saved.
set -euo pipefail
pathkeep="$1"
seed="$2"
source "$(dirname "$0")/e2elib.sh"
e2e_setup

"$seed" fill "$work/collection" 5 >/dev/null || fail "could not fill the collection"
mkdir -p "$work/broken"
printf 'this is not a database, just some text that fills a page of it......\n%.0s' $(seq 1 80) \
  > "$work/broken/URLDATA.TPS"
positions="$XDG_CONFIG_HOME/pathkeep/POSITION.INI"
rm -f "$positions"

e2e_start "$pathkeep"
e2e_wait_frame
frame="$(e2e_wait_name '^Pathkeep 2005$' 50)" || fail "no main window"
xdotool windowactivate --sync "$frame" 2>/dev/null || xdotool windowfocus --sync "$frame" || true
xdotool key --window "$frame" ctrl+o
chooser="$(e2e_wait_name '^Select collection folder$' 100)" \
  || fail "File, Open Database showed no file chooser"
sleep 0.5
xdotool windowfocus --sync "$chooser" 2>/dev/null || true
# The file name field has the focus: the broken folder's file replaces what it holds.
xdotool key --window "$chooser" ctrl+a
xdotool type --window "$chooser" --delay 5 "$work/broken/URLDATA.TPS"
xdotool key --window "$chooser" Return
atspi wait 'Invalid File' 60 >/dev/null || fail "no 'Invalid File' message for the broken collection"
atspi texts 'Invalid File' | grep -q 'Press OK to end this application' \
  || fail "the message does not say that the program ends"
atspi click 'Invalid File' 'OK' || fail "no OK button in the message"
e2e_ended 100 || fail "pathkeep is still running after the fatal message"
[ "$status" -eq 1 ] || fail "pathkeep ended with status $status after a fatal error"
grep -q 'Invalid File!' "$work/out.log" || fail "the end text was not written: $(cat "$work/out.log")"
[ -f "$positions" ] || fail "no POSITION.INI was written"
grep -qi '^\[Main\]' "$positions" || fail "the main window's position was not saved: $(cat "$positions")"
echo "PASS"
