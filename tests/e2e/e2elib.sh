# Shared pieces of the end-to-end tests: sourced by a test script, which runs under xvfb-run
# (and, to read windows through the accessibility bus, under dbus-run-session).
#
#   e2e_setup              makes $work (collection/, config/) and cleans up on exit
#   e2e_start PATHKEEP     starts pathkeep in $work/collection; sets $pid
#   e2e_wait_name REGEX N  waits up to N*0.2 s for an X window name; prints its id
#   e2e_wait_frame         waits for the main window and the start-up list behind the splash
#   e2e_ended N            waits up to N*0.2 s for pathkeep to end; sets $status
#   atspi ARGS...          runs atspi_driver.py (see there)
#   fail TEXT              ends the test with TEXT and pathkeep's output

e2e_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
pid=""
status=""

e2e_cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  [ -n "${work:-}" ] && rm -rf "$work"
}

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/out.log" ] && sed 's/^/  pathkeep: /' "$work/out.log" >&2
  exit 1
}

e2e_setup() {
  work="$(mktemp -d)"
  trap e2e_cleanup EXIT
  mkdir -p "$work/collection" "$work/config"
  export XDG_CONFIG_HOME="$work/config"
  export QT_QPA_PLATFORM=xcb
  # Widgets show on the accessibility bus when a session bus is there.
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

e2e_start() {
  (cd "$work/collection" && exec "$1" >"$work/out.log" 2>&1) &
  pid=$!
}

e2e_wait_name() {
  local w=""
  for _ in $(seq 1 "$2"); do
    w="$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)"
    [ -n "$w" ] && { echo "$w"; return 0; }
    [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && return 1
    sleep 0.2
  done
  return 1
}

e2e_wait_frame() {
  e2e_wait_name '^Pathkeep 2005$' 150 >/dev/null || fail "no window named 'Pathkeep 2005' appeared"
  # The splash closes after 2 s; then the start-up list opens.
  sleep 3
}

e2e_ended() {
  for _ in $(seq 1 "$1"); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$pid" 2>/dev/null && return 1
  status=0
  wait "$pid" || status=$?
  pid=""
  return 0
}

atspi() {
  /usr/bin/python3 "$e2e_here/atspi_driver.py" "$@"
}
