#!/usr/bin/env bash
# The tray icon and the global hot keys of the real program, beside a small tray host that also
# iconifies windows as a window manager would:
#  - the icon docks in the tray, and docks again when the tray host is restarted;
#  - the minimised frame hides (only the icon remains); Super+U brings it back;
#  - minimised again, Super+G brings it back and opens the New-location wizard;
#  - with Super+G held by another program, the program starts without a message, Super+G
#    does nothing and Super+U still works.
set -euo pipefail
source "$(dirname "$0")/e2elib.sh"
pathkeep="$1"
desktophost="$2"

host_pid=""
stop_host() {
  if [ -n "$host_pid" ]; then
    kill "$host_pid" 2>/dev/null || true
    wait "$host_pid" 2>/dev/null || true
  fi
  host_pid=""
}
start_host() {
  "$desktophost" "$@" >"$work/host.log" 2>&1 &
  host_pid=$!
  for _ in $(seq 1 50); do grep -q ready "$work/host.log" 2>/dev/null && return 0; sleep 0.1; done
  fail "the tray host did not start"
}
e2e_setup
trap 'stop_host; e2e_cleanup' EXIT

frame_visible() { xdotool search --onlyvisible --name '^Pathkeep 2005$' >/dev/null 2>&1; }
wait_for() { # CONDITION-FUNCTION TRIES
  for _ in $(seq 1 "$2"); do "$1" && return 0; sleep 0.2; done
  return 1
}
frame_hidden() { ! frame_visible; }
docked() { grep -q docked "$work/host.log"; }
wizard_open() { xdotool search --onlyvisible --name '^Update Location Information$' >/dev/null 2>&1; }
minimise() {
  xdotool windowminimize "$frame"
  wait_for frame_hidden 50 || fail "the minimised frame did not hide in the tray"
}

start_host
e2e_start "$pathkeep"
e2e_wait_frame
frame="$(xdotool search --name '^Pathkeep 2005$' | head -n1)"
wait_for docked 50 || fail "the tray icon did not dock"

# The tray host restarts: the icon comes back without restarting the program.
stop_host
start_host
wait_for docked 50 || fail "the tray icon did not come back after the tray restarted"

minimise
xdotool key super+u
wait_for frame_visible 50 || fail "Super+U did not bring the frame back"

minimise
xdotool key super+g
wait_for frame_visible 50 || fail "Super+G did not bring the frame back"
wait_for wizard_open 50 || fail "Super+G did not open the New-location wizard"
xdotool search --onlyvisible --name '^Update Location Information$' | head -n1 \
  | xargs -I{} xdotool windowclose {} 2>/dev/null || true
kill -TERM "$pid"
e2e_ended 75 || fail "pathkeep did not end on SIGTERM"

# Another program holds Super+G: silently not registered.
stop_host
start_host --hold-super-g
e2e_start "$pathkeep"
e2e_wait_frame
frame="$(xdotool search --name '^Pathkeep 2005$' | head -n1)"
visible_names() {
  xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r w; do
    xdotool getwindowname "$w"
  done | sort -u | tr '\n' '|'
}
# Nothing but the frame: no message about the refused key.
[ "$(visible_names)" = "Pathkeep 2005|" ] || fail "windows at start beside the frame: $(visible_names)"
xdotool key super+g
sleep 1
[ "$(visible_names)" = "Pathkeep 2005|" ] || fail "Super+G, held by another program, opened: $(visible_names)"
minimise
xdotool key super+u
wait_for frame_visible 50 || fail "Super+U did not work beside a refused Super+G"
kill -TERM "$pid"
e2e_ended 75 || fail "pathkeep did not end on SIGTERM"
echo "tray and hot keys: ok"
