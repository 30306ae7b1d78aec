#!/usr/bin/env bash
# Starts the real pathkeep in an empty collection folder with its own configuration folder,
# waits for the main window, checks the collection files, closes it with SIGTERM and checks
# that it ended cleanly and saved its position; then backs the collection up with
# pathkeep-backup.
set -euo pipefail
pathkeep="$1"
backup="$2"

work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/collection" "$work/config"
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb
cd "$work/collection"

"$pathkeep" >"$work/out.log" 2>&1 &
pid=$!

wid=""
for _ in $(seq 1 150); do
  wid="$(xdotool search --name '^Pathkeep 2005$' 2>/dev/null | head -n1 || true)"
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/out.log" >&2; fail "pathkeep exited early"; }
  sleep 0.2
done
[ -n "$wid" ] || fail "no window named 'Pathkeep 2005' appeared"
echo "main window: $wid"

for f in URLDATA.TPS URL_C.TPS URL_H.TPS; do
  [ -s "$f" ] || fail "$f was not created in the collection folder"
done
ls Default_*.htm >/dev/null 2>&1 || fail "the default export templates were not copied"
[ "$(head -c 15 URLDATA.TPS)" = "SQLite format 3" ] || fail "URLDATA.TPS is not a database"

# Give the splash time to close and the start-up list its turn, then close cleanly.
sleep 2.5
kill -0 "$pid" 2>/dev/null || fail "pathkeep ended on its own"
kill -TERM "$pid"
status=0
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "pathkeep did not close after SIGTERM"
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || { cat "$work/out.log" >&2; fail "pathkeep exited with status $status"; }
grep -qi '^\[Main\]' "$XDG_CONFIG_HOME/pathkeep/POSITION.INI" || fail "frame position was not saved"

"$backup" --collection "$work/collection" --backup "$work/saved"
# The backup is a database copy made through SQLite: the same contents, not the same bytes.
for f in URLDATA.TPS URL_C.TPS URL_H.TPS; do
  [ "$(sqlite3 "$work/collection/$f" .dump)" = "$(sqlite3 "$work/saved/$f" .dump)" ] \
    || fail "backup of $f differs"
done
echo "PASS"
