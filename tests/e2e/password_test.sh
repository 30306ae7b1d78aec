#!/usr/bin/env bash
# A collection protected by a password (taken over from PATHKEEP.INI's [Settings] section by a
# collection that has no such rows yet): a wrong answer ends the program without opening the
# main window; the right one typed in other letter case opens it.
set -euo pipefail
pathkeep="$1"

work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/collection" "$work/config/pathkeep"
printf '[Settings]\nSecure=1\nPassword=Open Sesame\n' > "$work/config/pathkeep/PATHKEEP.INI"
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb
cd "$work/collection"

wait_for() { # name, tries
  local w=""
  for _ in $(seq 1 "$2"); do
    w="$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)"
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}

answer() { # text
  "$pathkeep" >"$work/out.log" 2>&1 &
  pid=$!
  prompt="$(wait_for '^Security Check$' 150)" || fail "no password prompt"
  # No window manager runs under Xvfb: give the prompt the focus directly.
  sleep 0.5
  xdotool windowfocus "$prompt"
  sleep 0.3
  xdotool type --delay 20 "$1"
  xdotool key Return
}

answer "wrong"
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "a wrong password did not end the program"
status=0; wait "$pid" || status=$?; pid=""
[ "$status" -eq 0 ] || fail "wrong password: exit status $status"
xdotool search --name '^Pathkeep 2005$' >/dev/null 2>&1 && fail "main window opened"

answer "OPEN SESAME"
wait_for '^Pathkeep 2005$' 100 >/dev/null || fail "the right password did not open the main window"
kill -TERM "$pid"
status=0; wait "$pid" || status=$?; pid=""
[ "$status" -eq 0 ] || fail "exit status $status after SIGTERM"
echo "PASS"
