#!/usr/bin/env bash
# Starts the real pathkeep on a collection whose URLDATA.TPS has pages overwritten in the
# middle: the background check of the opened files tells of the damage once, pointing to
# Repair Databases, while the program keeps running; closing it leaves the intact files
# recorded as checked and the damaged one not.
set -euo pipefail
pathkeep="$1"
seed="$2"
source "$(dirname "$0")/e2elib.sh"
e2e_setup

"$seed" fill "$work/collection" 3000 || fail "could not fill the collection"
data="$work/collection/URLDATA.TPS"
pages=$(( $(stat -c %s "$data") / 4096 ))
dd if=/dev/zero bs=4096 count=4 seek=$(( pages / 2 )) conv=notrunc of="$data" 2>/dev/null \
  || fail "could not damage the file"

e2e_start "$pathkeep"
atspi wait 'Damaged File' 60 || fail "the damage was not told"
atspi texts 'Damaged File' >"$work/texts"
grep -q 'URLDATA.TPS' "$work/texts" || fail "the message does not name the file: $(cat "$work/texts")"
grep -q 'File, Support Tools, Repair Databases' "$work/texts" \
  || fail "the message does not point to Repair Databases: $(cat "$work/texts")"
atspi click 'Damaged File' 'OK' || fail "no OK button in the message"
sleep 1
[ "$(atspi windows | grep -c '^Damaged File$' || true)" = "0" ] || fail "the message was shown twice"
kill -0 "$pid" 2>/dev/null || fail "pathkeep ended"

kill -TERM "$pid"
e2e_ended 50 || fail "pathkeep did not close after SIGTERM"
[ "$status" -eq 0 ] || fail "pathkeep exited with status $status"
ini="$XDG_CONFIG_HOME/pathkeep/PATHKEEP.INI"
grep -q '^\[FileCheck\]' "$ini" || fail "no [FileCheck] section in PATHKEEP.INI"
grep -q 'URL_C.TPS=' "$ini" || fail "the intact URL_C.TPS was not recorded"
grep -q 'URLDATA.TPS=' "$ini" && fail "the damaged URLDATA.TPS was recorded as checked"
echo "PASS"
