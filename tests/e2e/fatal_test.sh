#!/usr/bin/env bash
# Starts the real pathkeep on a collection whose URLDATA.TPS is not a database: the fatal
# message names the file and what is wrong; once it is answered the program ends through its
# normal close path with status 1 (no crash, no abort), and the settings it keeps are saved.
set -euo pipefail
pathkeep="$1"
source "$(dirname "$0")/e2elib.sh"
e2e_setup

head -c 20000 /dev/urandom >"$work/collection/URLDATA.TPS"
e2e_start "$pathkeep"
atspi wait '~.' 60 || fail "no window came up"
texts=""
for _ in $(seq 1 100); do
  texts="$(atspi texts '~.' 2>/dev/null || true)"
  echo "$texts" | grep -q 'URLDATA.TPS' && break
  sleep 0.2
done
echo "$texts" | grep -q 'file is not a database' || fail "the fatal message does not say what is wrong: $texts"
echo "$texts" | grep -q 'URLDATA.TPS' || fail "the fatal message does not name the file: $texts"
atspi press '~.' 'OK' || fail "the message has no OK button"
e2e_ended 50 || fail "pathkeep did not end after the fatal message was answered"
[ "$status" -eq 1 ] || fail "pathkeep ended with status $status after a fatal error, not 1"
grep -qiE 'abort|segmentation|terminate called' "$work/out.log" && fail "pathkeep did not end cleanly"
cmp -s <(head -c 16 "$work/collection/URLDATA.TPS") <(printf 'SQLite format 3\0') \
  && fail "the damaged file was replaced"
echo "fatal error end-to-end: ok"
