#!/usr/bin/env bash
# The real pathkeep on Wayland (weston's headless compositor, no X server), twice:
# - with no shortcut portal on the bus: it starts, opens its start-up list (read over the
#   accessibility bus), captures the page a running firefox-esr shows through "pathkeep
#   --get-url", Options says how to bind the hot keys in the desktop, and it closes on SIGTERM
#   with status 0, having said nothing of X11;
# - beside the desktop portal's GlobalShortcuts (a stand-in on the test's bus, fake_portal.py):
#   Win+U and Win+G are bound through it, its press of Win+G gets the address, Options has no
#   such note.
#
#   wayland_test.sh PATHKEEP SEED SESSION-READER FIREFOX
set -euo pipefail
pathkeep="$1"
seed="$2"
reader="$3"
firefox="$4"
source "$(dirname "$0")/e2elib.sh"
source "$(dirname "$0")/browserlib.sh"

command -v weston >/dev/null || skip "no weston on this machine"
e2e_setup
browsers_home
unset DISPLAY
export QT_QPA_PLATFORM=wayland
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=pk-e2e --idle-time=0 >"$work/weston.log" 2>&1 &
browser_pids+=($!)
for _ in $(seq 1 100); do
  [ -S "$XDG_RUNTIME_DIR/pk-e2e" ] && break
  kill -0 "${browser_pids[-1]}" 2>/dev/null || skip "weston cannot start here: $(tail -n 3 "$work/weston.log")"
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/pk-e2e" ] || skip "weston did not open its socket: $(tail -n 3 "$work/weston.log")"
export WAYLAND_DISPLAY=pk-e2e

browsers_serve
browsers_firefox "$firefox" "$alpha_url"
browsers_wait_page "$reader" "$alpha_url" "$alpha_title" 120 \
  || fail "firefox-esr's session never showed $alpha_url"

wizard="Update Location Information"
frame='~^Pathkeep 2005$'

# In a sanitizer build, leaks are not looked for here: the Wayland client library and the GL
# driver it loads keep allocations until the process ends and are unloaded before the check, so
# their reports carry no names to suppress. The same code runs with leak checks in the other
# end-to-end tests.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
fi

# Starts pathkeep on the collection and waits for the start-up list.
start_pathkeep() {
  e2e_start "$pathkeep"
  atspi wait "$frame" 40 || fail "no window named 'Pathkeep 2005' appeared"
  atspi cell "$frame" 'Page 00000' || fail "the start-up list did not show its row"
}

# Prints the texts of Options, then closes it.
options_texts() {
  atspi press "$frame" Options || fail "no Options button"
  atspi wait Options 20 || fail "Options did not open"
  atspi texts Options
  atspi press Options Cancel || fail "no Cancel button in Options"
}

stop_pathkeep() {
  kill -TERM "$pid"
  e2e_ended 50 || fail "pathkeep did not close after SIGTERM"
  [ "$status" -eq 0 ] || fail "pathkeep ended with status $status"
  if grep -iE 'xcb|x11|systemTrayWindowChanged|No such signal' "$work/out.log"; then
    fail "pathkeep spoke of X11 on Wayland"
  fi
}

"$seed" fill "$work/collection" 1 || fail "could not prepare the collection"
start_pathkeep
# Handed to the running program over its local socket, as a key bound in the desktop would.
(cd "$work/collection" && "$pathkeep" --get-url) || fail "pathkeep --get-url did not reach the program"
atspi wait "$wizard" 30 || fail "pathkeep --get-url did not open the New-location wizard"
# The one page found is taken straight away: the wizard opens on its General page.
browsers_wizard_took "$wizard" "$alpha_url" "$alpha_title"
texts="$(options_texts)"
grep -qF "Win+U and Win+G are not available in this session" <<<"$texts" \
  || fail "Options does not say that the hot keys are not available: $texts"
grep -qF "pathkeep --get-url" <<<"$texts" || fail "Options does not name pathkeep --get-url: $texts"
stop_pathkeep

/usr/bin/python3 "$(dirname "$0")/fake_portal.py" "$work/shortcuts" >"$work/portal.log" 2>&1 &
browser_pids+=($!)
for _ in $(seq 1 50); do [ -e "$work/shortcuts" ] && break; sleep 0.1; done
[ -e "$work/shortcuts" ] || fail "the stand-in portal did not start: $(cat "$work/portal.log")"
start_pathkeep
# The hot keys, bound through the portal with their keys as the preferred triggers.
for _ in $(seq 1 50); do [ "$(wc -l <"$work/shortcuts")" -ge 2 ] && break; sleep 0.2; done
grep -q "	LOGO+u$" "$work/shortcuts" || fail "Win+U was not bound: $(cat "$work/shortcuts")"
get_url_id="$(grep "	LOGO+g$" "$work/shortcuts" | cut -f1)"
[ -n "$get_url_id" ] || fail "Win+G was not bound: $(cat "$work/shortcuts")"
gdbus call --session --dest org.freedesktop.portal.Desktop \
  --object-path /org/freedesktop/portal/desktop --method org.pathkeep.FakePortal.Press \
  "$get_url_id" >/dev/null || fail "could not press Win+G through the portal"
atspi wait "$wizard" 30 || fail "Win+G through the portal did not open the New-location wizard"
browsers_wizard_took "$wizard" "$alpha_url" "$alpha_title"
texts="$(options_texts)"
grep -qF "not available in this session" <<<"$texts" && fail "Options says the hot keys are not available"
stop_pathkeep
echo "Wayland end-to-end: ok"
