#!/usr/bin/env bash
# pathkeep-backup under faults. Backups of a collection large enough to take a moment are
# killed (SIGKILL) after growing delays; after each, --list shows no unfinished backup and a
# restore from it into another collection either brings exactly the backed-up locations or is
# refused, and that collection opens either way (a restore is then undone from the files it
# kept). A read-only collection is backed up. No display is needed.
set -euo pipefail
backup="$1"
seed="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
export XDG_CONFIG_HOME="$work/config"

source_collection="$work/collection"
target="$work/target"
backups="$work/backups"
mkdir -p "$source_collection" "$target" "$backups"
"$seed" fill "$source_collection" 60000 >/dev/null || fail "could not fill the collection"
"$seed" fill "$target" 7 >/dev/null || fail "could not fill the target collection"
full="$("$seed" count "$source_collection")"
[ "$full" = 60000 ] || fail "the collection holds $full locations"

# How long one backup takes, to spread the kills over it.
start=$(date +%s%N)
"$backup" --collection "$source_collection" --backup "$work/timing" || fail "a backup failed"
duration_ms=$(( ($(date +%s%N) - start) / 1000000 ))
rm -rf "$work/timing"
echo "one backup takes ${duration_ms} ms"

kills=0
completed=0
refused=0
restored=0
for i in $(seq 0 24); do
  delay_ms=$(( duration_ms * i / 20 ))
  folder="$backups/Pathkeep 2026-01-01 00.00.$(printf %02d "$i")"
  "$backup" --collection "$source_collection" --backup "$folder" >/dev/null 2>&1 &
  job=$!
  sleep "$(printf '%d.%03d' $(( delay_ms / 1000 )) $(( delay_ms % 1000 )))"
  if kill -KILL "$job" 2>/dev/null; then kills=$((kills + 1)); fi
  wait "$job" 2>/dev/null || true

  # Only finished, usable backups are listed.
  "$backup" --list "$backups" > "$work/list"
  if grep -q 'cannot be restored' "$work/list"; then
    fail "an unusable backup is listed: $(cat "$work/list")"
  fi
  while IFS=$'\t' read -r _ locations listed; do
    [ "$locations" = "$full" ] || fail "$listed is listed with $locations locations"
  done < "$work/list"

  if "$backup" --collection "$target" --restore "$folder" > "$work/restore.out" 2> "$work/restore.err"; then
    restored=$((restored + 1))
    count="$("$seed" count "$target")" || fail "the restored collection does not open (kill $i)"
    [ "$count" = "$full" ] || fail "the restored collection holds $count locations (kill $i)"
    kept="$(sed -n 's/^The files the restore replaced are kept in \(.*\) (restoring.*/\1/p' "$work/restore.out")"
    [ -d "$kept" ] || fail "the restore names no folder with the replaced files: $(cat "$work/restore.out")"
    # Undone: the replaced files come back.
    "$backup" --collection "$target" --restore "$kept" >/dev/null || fail "the restore could not be undone"
    count="$("$seed" count "$target")" || fail "the collection does not open after the undo (kill $i)"
    [ "$count" = 7 ] || fail "after the undo the collection holds $count locations (kill $i)"
    rm -rf "$target"/Replaced*
  else
    refused=$((refused + 1))
    [ -s "$work/restore.err" ] || fail "a refused restore says nothing (kill $i)"
    count="$("$seed" count "$target")" || fail "the collection does not open after a refused restore (kill $i)"
    [ "$count" = 7 ] || fail "a refused restore changed the collection: $count locations (kill $i)"
    if [ -d "$folder" ]; then
      fail "a dated folder exists but its restore was refused: $(cat "$work/restore.err")"
    fi
  fi
  [ -d "$folder" ] && completed=$((completed + 1))
done
echo "kills $kills, completed backups $completed, restored $restored, refused $refused"
[ "$refused" -gt 0 ] || fail "no backup was killed before it was complete"
[ "$restored" -gt 0 ] || fail "no backup completed"

# The next backup removes what killed ones left behind.
"$backup" --collection "$source_collection" --backup "$backups/last" || fail "the last backup failed"
leftovers="$(find "$backups" -maxdepth 1 -name '.pathkeep-backup.partial-*' | wc -l)"
[ "$leftovers" = 0 ] || fail "$leftovers unfinished backup folders are left"

# --- A read-only collection -------------------------------------------------------------------
readonly_collection="$work/readonly"
mkdir -p "$readonly_collection" "$work/rob"
"$seed" fill "$readonly_collection" 25 >/dev/null || fail "could not fill the read-only collection"
chmod -R a-w "$readonly_collection"
chmod a+rx "$work"
run_as=()
if [ "$(id -u)" = 0 ]; then
  # Permissions do not bind root: the backup runs as an ordinary user.
  chown nobody "$work/rob"
  run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
"${run_as[@]}" "$backup" --collection "$readonly_collection" --backup "$work/rob/one" \
  || fail "a read-only collection could not be backed up"
[ "$("$backup" --list "$work/rob/one" | cut -f2)" = 25 ] || fail "the read-only collection's backup is wrong"
[ -z "$(find "$readonly_collection" -name '*-wal' -o -name '*-shm' -o -name '*-journal')" ] \
  || fail "the backup wrote beside the read-only collection"
chmod -R u+w "$readonly_collection"

# --- A full disk ------------------------------------------------------------------------------
# A backup that runs out of room leaves nothing behind that could be listed or restored, says
# why and fails; the collection keeps working. Needs root for a small tmpfs in a mount namespace
# of the test's own.
if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
  full_collection="$work/bigger"
  mkdir -p "$full_collection" "$work/full"
  "$seed" fill "$full_collection" 3000 >/dev/null || fail "could not fill the collection for the full disk"
  status="$(FULL="$work/full" BACKUP="$backup" COLLECTION="$full_collection" unshare -m sh -c '
    mount -t tmpfs -o size=128k pathkeep-full "$FULL" || exit 99
    "$BACKUP" --collection "$COLLECTION" --backup "$FULL/backups" 2>"$FULL/../full.err"
    echo "status=$?"
    find "$FULL/backups" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l
    "$BACKUP" --list "$FULL/backups" 2>/dev/null | wc -l')"
  [ "$(echo "$status" | sed -n 1p)" = "status=1" ] \
    || fail "a backup onto a full disk did not fail: $status $(cat "$work/full.err")"
  [ "$(echo "$status" | sed -n 2p)" = 0 ] || fail "a backup onto a full disk left files: $status"
  [ "$(echo "$status" | sed -n 3p)" = 0 ] || fail "a backup onto a full disk is listed: $status"
  grep -qiE "disk is full|no space" "$work/full.err" || fail "a full disk was not named: $(cat "$work/full.err")"
  [ "$("$seed" count "$full_collection")" = 3000 ] || fail "the collection changed after a full disk"
else
  echo "full disk: skipped (needs root and mount namespaces)"
fi
echo "PASS"
