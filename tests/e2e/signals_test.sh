#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end the program at any moment: while a message box shows at
# start-up ("Invalid File"), and while a modal window is open over the list, where what was
# committed before (a launched location's last visit) is still there afterwards and the
# windows' positions are saved.
set -euo pipefail
pathkeep="$1"
seed="$2"
source "$(dirname "$0")/e2elib.sh"
e2e_setup

# --- A message box at start-up ------------------------------------------------------------
printf 'this is not a database, just some text that fills a page of it......\n%.0s' $(seq 1 80) \
  > "$work/collection/URLDATA.TPS"
for signal in TERM INT HUP; do
  e2e_start "$pathkeep"
  e2e_wait_name '^Invalid File$' 150 >/dev/null || fail "no 'Invalid File' message for a broken file"
  sleep 0.5
  kill -s "$signal" "$pid"
  e2e_ended 25 || fail "SIG$signal while 'Invalid File' shows: pathkeep is still running"
  [ "$status" -lt 128 ] || fail "SIG$signal while 'Invalid File' shows: ended by a signal ($status)"
done
rm -f "$work/collection/URLDATA.TPS"

# --- A committed record survives an end request with a modal window open -------------------
"$seed" fill "$work/collection" 5 >/dev/null || fail "could not fill the collection"
mkdir -p "$work/bin"
printf '#!/bin/sh\ntouch "%s/opened"\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH" BROWSER="$work/bin/xdg-open"

for signal in HUP INT; do
  rm -f "$work/opened" "$XDG_CONFIG_HOME/pathkeep/POSITION.INI"
  e2e_start "$pathkeep"
  e2e_wait_frame
  # Launch the first location (its last visit becomes today), then open the query wizard.
  atspi click 'Pathkeep 2005' 'Launch URL' || fail "no 'Launch URL' button"
  for _ in $(seq 1 50); do [ -e "$work/opened" ] && break; sleep 0.2; done
  [ -e "$work/opened" ] || fail "double-click did not launch the location"
  atspi click 'Pathkeep 2005' 'Query' || fail "no Query button"
  atspi wait 'Query Wizard' 20 || fail "the query wizard did not open"
  kill -s "$signal" "$pid"
  e2e_ended 50 || fail "SIG$signal with the query wizard open: pathkeep is still running"
  [ "$status" -eq 0 ] || fail "SIG$signal with the query wizard open: exit status $status"
  shown="$("$seed" show "$work/collection" http://example.test/page00000)"
  lastVisit="$(echo "$shown" | sed -E 's/LastVisit=(-?[0-9]+).*/\1/')"
  today="$(echo "$shown" | sed -E 's/.*Today=(-?[0-9]+)/\1/')"
  [ "$lastVisit" = "$today" ] || fail "SIG$signal lost the last visit written before ($shown)"
  grep -qi '^\[BrowsePATHKEEP\]' "$XDG_CONFIG_HOME/pathkeep/POSITION.INI" \
    || fail "SIG$signal: the list's position was not saved"
  grep -qi '^\[Main\]' "$XDG_CONFIG_HOME/pathkeep/POSITION.INI" \
    || fail "SIG$signal: the frame's position was not saved"
done
echo "PASS"
