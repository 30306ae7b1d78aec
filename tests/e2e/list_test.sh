#!/usr/bin/env bash
# Starts the real pathkeep on a collection of 350 locations (so the list pages through the
# store), double-clicks the first row of the start-up list and checks that the address reached
# the system's opener as one argument, that the location's last visit became today, and that
# the list kept its column layout when the program closed.
set -euo pipefail
pathkeep="$1"
seed="$2"

work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/out.log" ] && cat "$work/out.log" >&2; exit 1; }

mkdir -p "$work/collection" "$work/config" "$work/bin"
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb
# Widgets show on the accessibility bus when a session bus is there.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The opener records what it was asked to open instead of starting a browser.
cat >"$work/bin/xdg-open" <<OPENER
#!/bin/sh
printf '%s\n' "\$#" "\$@" > "$work/opened"
OPENER
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
export BROWSER="$work/bin/xdg-open"

"$seed" fill "$work/collection" 350 || fail "could not fill the collection"
cd "$work/collection"

"$pathkeep" >"$work/out.log" 2>&1 &
pid=$!

wid=""
for _ in $(seq 1 150); do
  wid="$(xdotool search --name '^Pathkeep 2005$' 2>/dev/null | head -n1 || true)"
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || fail "pathkeep exited early"
  sleep 0.2
done
[ -n "$wid" ] || fail "no window named 'Pathkeep 2005' appeared"

# The start-up list opens behind the splash with the first row ("Page 00000"): found by its
# text on the accessibility bus, wherever the window and its columns are.
/usr/bin/python3 "$(dirname "$0")/atspi_driver.py" doubleclick '~^Pathkeep 2005$' 'Page 00000' \
  || fail "the first row of the start-up list did not show"
for _ in $(seq 1 50); do
  [ -s "$work/opened" ] && break
  sleep 0.2
done
[ -s "$work/opened" ] || fail "double-click did not launch the location"
[ "$(sed -n 1p "$work/opened")" = "1" ] || fail "the opener got more than one argument: $(cat "$work/opened")"
[ "$(sed -n 2p "$work/opened")" = "http://example.test/page00000" ] \
  || fail "the opener got $(sed -n 2p "$work/opened")"

shown="$("$seed" show "$work/collection" http://example.test/page00000)"
lastVisit="$(echo "$shown" | sed -E 's/LastVisit=(-?[0-9]+).*/\1/')"
today="$(echo "$shown" | sed -E 's/.*Today=(-?[0-9]+)/\1/')"
[ "$lastVisit" = "$today" ] || fail "last visit not set to today ($shown)"

kill -TERM "$pid"
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "pathkeep did not close after SIGTERM"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "pathkeep exited with status $status"
grep -qi '^\[BrowsePATHKEEP\]' "$XDG_CONFIG_HOME/pathkeep/POSITION.INI" \
  || fail "the list did not keep its position and layout"
echo "list end-to-end: ok"
