#!/usr/bin/env bash
# Starts the real pathkeep, opens the clipboard monitor with Ctrl+Shift+M, copies text with
# addresses in another program (xclip) and checks that the monitor added them to the collection.
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

mkdir -p "$work/collection" "$work/config"
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb

"$seed" fill "$work/collection" 1 || fail "could not prepare the collection"
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
sleep 3.5 # the splash window closes

xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid" || true
xdotool key --window "$wid" ctrl+shift+m
sleep 2

printf '%s' '<h3>Tools</h3><a href="http://copied.example/">Copied site</a> and www.second.example' \
  | xclip -selection clipboard
found=""
for _ in $(seq 1 50); do
  if "$seed" show "$work/collection" http://copied.example/ >/dev/null 2>&1 \
     && "$seed" show "$work/collection" http://www.second.example >/dev/null 2>&1; then
    found=yes
    break
  fi
  sleep 0.2
done
[ -n "$found" ] || fail "the copied addresses were not added"

kill -TERM "$pid"
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "pathkeep did not close after SIGTERM"
pid=""
echo "clipboard end-to-end: ok"
