#!/usr/bin/env bash
# Starts the real pathkeep, opens File, Import, and finishes the wizard on a browser's bookmark
# file named in PATHKEEP.INI; checks the "Complete" message, the imported locations with their
# folder categories (a link after a sub-folder goes back to its own folder), and that the wizard
# wrote its settings back.
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

mkdir -p "$work/collection" "$work/config/pathkeep"
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb
cat >"$work/bookmarks.html" <<'HTML'
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks</H1>
<DL><p>
    <DT><H3 ADD_DATE="1">Outer</H3>
    <DL><p>
        <DT><A HREF="http://one.test/" ADD_DATE="1">One</A>
        <DT><H3 ADD_DATE="1">Inner</H3>
        <DL><p>
            <DT><A HREF="http://two.test/" ADD_DATE="1">Two</A>
        </DL><p>
        <DT><A HREF="http://three.test/" ADD_DATE="1">Three</A>
    </DL><p>
</DL>
HTML
printf '[Import]\nImport:Type=Netscape\nImport:File=%s\n' "$work/bookmarks.html" \
  >"$work/config/pathkeep/PATHKEEP.INI"
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
sleep 3.5

# File, Import (the fifth item of the File menu).
xdotool mousemove --window "$wid" 20 8 click 1
sleep 0.5
xdotool key Down Down Down Down Return
wiz=""
for _ in $(seq 1 50); do
  wiz="$(xdotool search --name '^Import Wizard$' 2>/dev/null | head -n1 || true)"
  [ -n "$wiz" ] && break
  sleep 0.2
done
[ -n "$wiz" ] || fail "no Import Wizard window appeared"
sleep 0.5
# "&Finish" by its Alt letter: the wizard's own, not the frame's "&File".
xdotool windowfocus --sync "$wiz" 2>/dev/null || true
xdotool key --window "$wiz" alt+f

done_wid=""
for _ in $(seq 1 100); do
  done_wid="$(xdotool search --name '^Complete$' 2>/dev/null | head -n1 || true)"
  [ -n "$done_wid" ] && break
  sleep 0.2
done
[ -n "$done_wid" ] || fail "no \"Complete\" message appeared"
xdotool key Return
sleep 0.5

kill -TERM "$pid"
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
wait "$pid" || true
pid=""

[ "$("$seed" category "$work/collection" http://one.test/)" = "Outer" ] || fail "one.test not in Outer"
[ "$("$seed" category "$work/collection" http://two.test/)" = "Inner" ] || fail "two.test not in Inner"
[ "$("$seed" category "$work/collection" http://three.test/)" = "Outer" ] \
  || fail "three.test did not go back to Outer"
grep -q '^Import:Category:Assignment=Guess' "$XDG_CONFIG_HOME/pathkeep/PATHKEEP.INI" \
  || fail "the wizard did not write its settings"
echo "import end-to-end: ok"
