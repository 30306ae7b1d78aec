# The real browsers for the end-to-end tests of "Get URL from Browser": sourced after
# e2elib.sh and e2e_setup. Every browser runs on a profile of its own under $work/home, which is
# the HOME that pathkeep then reads.
#
#   browsers_home              sets HOME to $work/home (keeps the caller's for the browsers'
#                              caches out of it) and stops the browsers and the server on exit
#   browsers_serve             serves two pages with distinct titles on the loopback address;
#                              sets $alpha_url, $beta_url, $alpha_title, $beta_title
#   browsers_firefox FIREFOX URL
#                              starts firefox-esr headless on a new profile listed in
#                              ~/.mozilla/firefox/profiles.ini; sets $firefox_profile
#   browsers_chromium CHROMIUM URL
#                              starts chromium on the user data folder
#                              $XDG_CONFIG_HOME/chromium (needs a display)
#   browsers_wait_page READER URL TITLE N
#                              waits up to N*0.5 s until what the running browsers' session
#                              files give (READER running) lists URL with TITLE
#   browsers_wizard_took WIZARD URL TITLE
#                              waits until the New-location wizard's Location shows URL, checks
#                              that Description is TITLE, then cancels the wizard
#   skip TEXT                  ends the test as skipped (status 77) with TEXT
#
# A browser that ends at once cannot run on this machine: the test is skipped then.

browser_pids=()
server_pid=""

skip() {
  echo "SKIP: $*"
  exit 77
}

browsers_stop() {
  local p
  for p in "${browser_pids[@]}" $server_pid; do
    kill -TERM "$p" 2>/dev/null || true
  done
  for p in "${browser_pids[@]}" $server_pid; do
    for _ in $(seq 1 25); do kill -0 "$p" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "$p" 2>/dev/null || true
  done
  e2e_cleanup
}

browsers_home() {
  export HOME="$work/home"
  mkdir -p "$HOME"
  trap browsers_stop EXIT
}

browsers_serve() {
  mkdir -p "$work/www"
  alpha_title="Alpha Loopback Page"
  beta_title="Beta Loopback Page"
  printf '<!DOCTYPE html><html><head><title>%s</title></head><body>alpha</body></html>\n' \
    "$alpha_title" >"$work/www/alpha.html"
  printf '<!DOCTYPE html><html><head><title>%s</title></head><body>beta</body></html>\n' \
    "$beta_title" >"$work/www/beta.html"
  # A free port chosen by the system, written out once the server listens.
  /usr/bin/python3 - "$work/www" "$work/port" >"$work/http.log" 2>&1 <<'PY' &
import functools, http.server, os, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
with open(sys.argv[2] + ".new", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(sys.argv[2] + ".new", sys.argv[2])
server.serve_forever()
PY
  server_pid=$!
  for _ in $(seq 1 50); do [ -s "$work/port" ] && break; sleep 0.1; done
  [ -s "$work/port" ] || fail "the page server did not start: $(cat "$work/http.log")"
  local base="http://127.0.0.1:$(cat "$work/port")"
  alpha_url="$base/alpha.html"
  beta_url="$base/beta.html"
}

browsers_firefox() {
  [ -x "$1" ] || skip "no firefox-esr on this machine"
  local profiles="$HOME/.mozilla/firefox"
  firefox_profile="$profiles/e2e.default"
  mkdir -p "$firefox_profile"
  printf '[Profile0]\nName=default\nIsRelative=1\nPath=e2e.default\nDefault=1\n\n[General]\nStartWithLastProfile=1\nVersion=2\n' \
    >"$profiles/profiles.ini"
  # The session is written a second after a change instead of every 15 s.
  cat >"$firefox_profile/user.js" <<'JS'
user_pref("browser.sessionstore.interval", 1000);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.disabledForTesting", true);
JS
  MOZ_CRASHREPORTER_DISABLE=1 "$1" -headless -no-remote -profile "$firefox_profile" "$2" \
    >"$work/firefox.log" 2>&1 &
  browser_pids+=($!)
  browsers_started firefox-esr "$work/firefox.log"
}

browsers_chromium() {
  [ -x "$1" ] || skip "no chromium on this machine"
  # As root the browser runs only without its sandbox; the basic password store keeps it off
  # the desktop's keyring.
  "$1" --user-data-dir="$XDG_CONFIG_HOME/chromium" --no-first-run --no-default-browser-check \
    --password-store=basic --no-sandbox --disable-gpu --disable-background-networking \
    --window-size=900,600 "$2" >"$work/chromium.log" 2>&1 &
  browser_pids+=($!)
  browsers_started chromium "$work/chromium.log"
}

# A browser still running after two seconds has started.
browsers_started() {
  local p="${browser_pids[-1]}"
  for _ in $(seq 1 10); do
    kill -0 "$p" 2>/dev/null || skip "$1 cannot start here: $(tail -n 5 "$2")"
    sleep 0.2
  done
}

browsers_wait_page() {
  local reader="$1" url="$2" title="$3"
  for _ in $(seq 1 "$4"); do
    if "$reader" running "$HOME" "$XDG_CONFIG_HOME" 2>/dev/null \
       | grep -qxF "$url	$title"; then
      return 0
    fi
    sleep 0.5
  done
  echo "the running browsers' sessions give:" >&2
  "$reader" running "$HOME" "$XDG_CONFIG_HOME" >&2 || true
  return 1
}

browsers_wizard_took() {
  local wizard="$1" url="$2" title="$3" entries=""
  for _ in $(seq 1 50); do
    entries="$(atspi fields "$wizard")"
    grep -qxF "Location	$url" <<<"$entries" && break
    sleep 0.2
  done
  grep -qxF "Location	$url" <<<"$entries" || fail "Location is not $url: $entries"
  grep -qxF "Description	$title" <<<"$entries" || fail "Description is not \"$title\": $entries"
  atspi press "$wizard" Cancel || fail "no Cancel button"
  for _ in $(seq 1 50); do
    atspi wait "$wizard" 0 2>/dev/null || return 0
    sleep 0.2
  done
  fail "the wizard did not close"
}
