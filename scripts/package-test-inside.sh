#!/bin/bash
# The part of scripts/package-test.sh that runs inside the clean Debian 12 root, as root, with
# the package in /tmp/package: installs it with apt-get, runs the programs from their installed
# paths as an ordinary user, removes the package. Prints "ok - ..." or "FAIL - ..." for each
# check; the caller counts them.
set -uo pipefail
version="$1"
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin
user=alex
home=/home/$user
display=:7
export DISPLAY=$display
started=$SECONDS
# e2e_wait_name, as the end-to-end tests wait for a window.
source /tmp/package/e2elib.sh

check() {
  local name="$1"
  shift
  if "$@"; then
    echo "ok - $name"
  else
    echo "FAIL - $name"
  fi
}
note() { echo "== $* ($((SECONDS - started)) s)"; }
# A command as the user, with a clean environment; VAR=value words may come first.
as_user() {
  setpriv --reuid="$user" --regid="$user" --init-groups \
    env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 \
    XDG_RUNTIME_DIR="/tmp/runtime-$user" DISPLAY="$display" "$@"
}
# Every file under the user's home with its checksum: what removing the package must not change.
home_state() { (cd "$home" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

note "apt-get update"
apt-get update -qq >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; echo "FAIL - apt-get update"; exit 1; }
# What the test itself needs: a display, a window finder, GLib's desktop-entry launcher and the
# shells whose completions are checked.
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool libglib2.0-bin bash-completion \
  zsh fish >>/tmp/apt.log 2>&1 || { tail -n 30 /tmp/apt.log; echo "FAIL - test tools"; exit 1; }

note "apt-get install ./pathkeep_${version}_*.deb"
cd /tmp/package
# Without the packages its dependencies only recommend: what it needs must be in Depends.
check "apt-get installs the package and its dependencies" \
  apt-get install -y -qq --no-install-recommends ./pathkeep_"${version}"_*.deb
for f in /usr/bin/pathkeep /usr/bin/pathkeep-cli /usr/bin/pathkeep-backup \
  /usr/share/pathkeep/templates/Default_Simple.htm /usr/share/pathkeep/help/index.html \
  /usr/share/pathkeep/import.txt /usr/share/applications/io.github.pathkeep.Pathkeep.desktop \
  /usr/share/metainfo/io.github.pathkeep.Pathkeep.metainfo.xml \
  /usr/share/icons/hicolor/48x48/apps/pathkeep.png /usr/share/icons/hicolor/scalable/apps/pathkeep.svg \
  /usr/share/man/man1/pathkeep.1.gz /usr/share/man/man1/pathkeep-cli.1.gz \
  /usr/share/man/man1/pathkeep-backup.1.gz /usr/share/doc/pathkeep/copyright \
  /usr/share/doc/pathkeep/changelog.gz /usr/share/bash-completion/completions/pathkeep-cli \
  /usr/share/zsh/vendor-completions/_pathkeep-cli \
  /usr/share/fish/vendor_completions.d/pathkeep-cli.fish; do
  [ -f "$f" ] || echo "FAIL - installed: $f"
done

useradd -m -s /bin/bash "$user"
install -d -m 700 -o "$user" -g "$user" "/tmp/runtime-$user"

note "command line"
check "pathkeep-cli --version prints the package version" \
  [ "$(as_user pathkeep-cli --version)" = "pathkeep-cli $version" ]
# A first day from an empty home folder: the default collection ~/Pathkeep is made by the first
# location, which then is listed, found, changed, opened and removed.
first=https://first.example.org/page
cat >/usr/bin/xdg-open <<'OPENER'
#!/bin/sh
printf '%s\n' "$@" >> /tmp/opened
OPENER
chmod 755 /usr/bin/xdg-open
first_listed() { as_user pathkeep-cli list --format csv | grep -qF "$first"; }
first_found() { as_user pathkeep-cli search "First page" | grep -qF "$first"; }
first_changed() {
  as_user pathkeep-cli --quiet set "$first" --rating 5 --keyword start \
    && as_user pathkeep-cli list --format csv | grep -F "$first" | grep -q ',5$' \
    && as_user pathkeep-cli search start | grep -qF "$first"
}
first_opened() { as_user pathkeep-cli --quiet open "$first" && grep -qxF "$first" /tmp/opened; }
first_removed() { as_user pathkeep-cli --quiet remove "$first" && ! first_listed; }
check "pathkeep-cli adds a first location from an empty home, with a new category" \
  as_user pathkeep-cli --quiet add "$first" --category Reading --new-category --description "First page"
check "the first location went into ~/Pathkeep" test -s "$home/Pathkeep/URLDATA.TPS"
check "pathkeep-cli lists the first location" first_listed
check "pathkeep-cli search finds it by its description" first_found
check "pathkeep-cli set changes its rating and keyword" first_changed
check "pathkeep-cli open hands it to the desktop's opener" first_opened
check "pathkeep-cli remove removes it" first_removed

as_user mkdir -p "$home/in" "$home/out" "$home/Links" "$home/Again"
as_user tee "$home/in/bookmarks.html" >/dev/null <<'EOF'
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks</H1>
<DL><p>
    <DT><H3>News</H3>
    <DL><p>
        <DT><A HREF="https://news.example.org/" ADD_DATE="1700000000">Example News</A>
        <DT><A HREF="https://weather.example.org/today">Weather today</A>
    </DL><p>
    <DT><A HREF="https://www.debian.org/">Debian</A>
</DL><p>
EOF
addresses=(https://news.example.org/ https://weather.example.org/today https://www.debian.org/)
has_addresses() {
  local a
  for a in "${addresses[@]}"; do grep -qF "$a" "$1" || { echo "$1 lacks $a"; return 1; }; done
}
check "pathkeep-cli imports a bookmark file into a new collection" \
  as_user pathkeep-cli --collection "$home/Links" --quiet import Netscape "$home/in/bookmarks.html" \
  --nested-folders --create
as_user pathkeep-cli --collection "$home/Links" list --format csv >/tmp/list.csv
check "pathkeep-cli lists the three imported locations" has_addresses /tmp/list.csv
check "pathkeep-cli exports a bookmark file" \
  as_user pathkeep-cli --collection "$home/Links" --quiet export Bookmarks "$home/out/bookmarks.html"
check "the exported bookmark file holds the three locations" has_addresses "$home/out/bookmarks.html"
as_user pathkeep-cli --collection "$home/Again" --quiet import Netscape "$home/out/bookmarks.html" \
  --nested-folders --create
check "the exported file imports again with its three locations" \
  [ "$(as_user pathkeep-cli --collection "$home/Again" list --format csv | grep -c 'example.org\|debian.org')" -eq 3 ]
check "pathkeep-backup backs the collection up" \
  as_user pathkeep-backup --collection "$home/Links" --backup "$home/Backups/links"
listed_backup() { as_user pathkeep-backup --list "$home/Backups" | grep -qP '\t3\t.*/links$'; }
check "pathkeep-backup --list finds the backup with its three locations" listed_backup

note "pathkeep under Xvfb"
as_user Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.2; done
# Started as the desktop starts it: through the desktop entry, on the folder the environment
# names (a new one, with a blank in its name).
collection="$home/My Links"
as_user PATHKEEP_COLLECTION="$collection" QT_QPA_PLATFORM=xcb \
  gio launch /usr/share/applications/io.github.pathkeep.Pathkeep.desktop >/tmp/launch.log 2>&1
wid="$(e2e_wait_name '^Pathkeep 2005$' 150 || true)"
check "the desktop entry starts pathkeep and its main window shows" [ -n "$wid" ]
pid="$([ -n "$wid" ] && xdotool getwindowpid "$wid")"
check "the window is the installed program's" [ "$(readlink "/proc/${pid:-0}/exe")" = /usr/bin/pathkeep ]
check "the new collection is in PATHKEEP_COLLECTION" \
  bash -c "for f in URLDATA.TPS URL_C.TPS URL_H.TPS; do [ -s \"$collection/\$f\" ] || exit 1; done"
templates_copied() {
  local t n=0
  for t in /usr/share/pathkeep/templates/Default_*.htm; do
    cmp -s "$t" "$collection/$(basename "$t")" || { echo "not copied: $t"; return 1; }
    n=$((n + 1))
  done
  [ "$n" -ge 1 ]
}
check "the sample templates come from /usr/share/pathkeep" templates_copied
check "pathkeep --restore hands its request to the running program" \
  as_user bash -c "cd \"$collection\" && timeout 20 pathkeep --restore"
check "the program still runs after the handed-over request" kill -0 "${pid:-0}"
[ -n "$pid" ] && kill -TERM "$pid"
for _ in $(seq 1 75); do kill -0 "${pid:-0}" 2>/dev/null || break; sleep 0.2; done
check "pathkeep closes on SIGTERM" bash -c "! kill -0 ${pid:-0} 2>/dev/null"
check "it saved its window position on closing" grep -qi '^\[Main\]' "$home/.config/pathkeep/POSITION.INI"

note "completions"
check "bash finds the completion of pathkeep-cli by its name" \
  as_user bash -c 'source /usr/share/bash-completion/bash_completion
    __load_completion pathkeep-cli && complete -p pathkeep-cli | grep -q _pathkeep_cli'
check "zsh finds the completion of pathkeep-cli" \
  as_user zsh -fc 'autoload -U compinit && compinit -u && [[ $_comps[pathkeep-cli] == _pathkeep-cli ]]'
fish_completes() { as_user fish -c 'complete -C "pathkeep-cli im"' | grep -q '^import'; }
check "fish completes pathkeep-cli's commands" fish_completes

note "apt-get remove pathkeep"
before="$(home_state)"
check "apt-get removes the package" apt-get remove -y -qq pathkeep
check "the programs and the data folder are gone" \
  bash -c '! [ -e /usr/bin/pathkeep ] && ! [ -e /usr/bin/pathkeep-cli ] && ! [ -e /usr/share/pathkeep ]'
check "the user's collections and settings are left as they were" [ "$before" = "$(home_state)" ]
check "the collections are still there" test -s "$collection/URLDATA.TPS" -a -s "$home/Links/URLDATA.TPS"
note "done"
