#!/usr/bin/env bash
# "Get URL from Browser" with the real browsers: firefox-esr (headless) and chromium (on the
# virtual X server) each show a loopback page; their fresh session files are read on their own,
# then the real pathkeep's Ctrl+Shift+U lists both pages with their titles, and the one chosen
# fills Location and Description of the New-location wizard.
#
#   browsercapture_test.sh PATHKEEP SESSION-READER FIREFOX CHROMIUM
set -euo pipefail
pathkeep="$1"
reader="$2"
firefox="$3"
chromium="$4"
source "$(dirname "$0")/e2elib.sh"
source "$(dirname "$0")/browserlib.sh"

e2e_setup
browsers_home
browsers_serve
browsers_firefox "$firefox" "$alpha_url"
browsers_chromium "$chromium" "$beta_url"

# The browsers write their sessions a moment after the pages load (chromium's titles go to its
# History): wait until the files give both pages.
browsers_wait_page "$reader" "$alpha_url" "$alpha_title" 120 \
  || fail "firefox-esr's session never showed $alpha_url"
browsers_wait_page "$reader" "$beta_url" "$beta_title" 120 \
  || fail "chromium's session never showed $beta_url"

# The files just written, each through its own reader.
recovery="$firefox_profile/sessionstore-backups/recovery.jsonlz4"
"$reader" firefox "$recovery" | grep -qxF "$alpha_url	$alpha_title" \
  || fail "the fresh recovery.jsonlz4 does not give $alpha_url: $("$reader" firefox "$recovery" 2>&1)"
snss="$(ls -t "$XDG_CONFIG_HOME"/chromium/Default/Sessions/Session_* | head -n1)"
"$reader" chromium "$snss" | cut -f1 | grep -qxF "$beta_url" \
  || fail "the fresh $snss does not give $beta_url: $("$reader" chromium "$snss" 2>&1)"

e2e_start "$pathkeep"
e2e_wait_frame
wid="$(e2e_wait_name '^Pathkeep 2005$' 10)" || fail "the main window went away"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid" || true
xdotool key --window "$wid" ctrl+shift+u

wizard="Update Location Information"
atspi wait "$wizard" 30 || fail "Ctrl+Shift+U did not open the New-location wizard"
atspi cell "$wizard" "$alpha_url" || fail "the wizard does not list $alpha_url"
atspi cell "$wizard" "$beta_url" || fail "the wizard does not list $beta_url"
listed="$(atspi texts "$wizard")"
grep -qF "$alpha_title" <<<"$listed" || fail "the wizard does not show \"$alpha_title\": $listed"
grep -qF "$beta_title" <<<"$listed" || fail "the wizard does not show \"$beta_title\": $listed"

atspi clickcell "$wizard" "$alpha_url" || fail "could not choose $alpha_url"
atspi press "$wizard" Next || fail "no Next button"
browsers_wizard_took "$wizard" "$alpha_url" "$alpha_title"
kill -TERM "$pid"
e2e_ended 50 || fail "pathkeep did not close after SIGTERM"
[ "$status" -eq 0 ] || fail "pathkeep ended with status $status"
echo "browser capture end-to-end: ok"
