#!/usr/bin/env bash
# Tests the Debian package the way a user gets it: checks it with lintian and looks at its files,
# then installs it with apt-get into a clean Debian 12 root, runs the three programs from their
# installed paths as an ordinary user (the GUI under Xvfb, started through its desktop entry),
# removes it and checks that the user's collections were left alone.
#
#   scripts/package-test.sh [PACKAGE.deb]     without a package, scripts/package.sh builds one
#
# Needs root (debootstrap, chroot, mounts in a namespace of its own) and Debian's mirror. The
# minimal root and the downloaded packages are kept in PK_PACKAGE_TEST_CACHE
# (/var/cache/pathkeep-package-test) for the next run; every run unpacks a fresh root.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
mirror="${PK_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
cache="${PK_PACKAGE_TEST_CACHE:-/var/cache/pathkeep-package-test}"

[ "$(id -u)" -eq 0 ] || { echo "package-test.sh: needs root (debootstrap, chroot)" >&2; exit 2; }

phases=()
phase_start=$SECONDS
phase() {
  phases+=("$(printf '%-28s %5d s' "$1" $((SECONDS - phase_start)))")
  phase_start=$SECONDS
}
passed=0
failed=0
work=""
cleanup() {
  # The clean root and its mounts lived in a namespace of their own and went with it; stay on
  # this file system all the same.
  [ -n "$work" ] && rm -rf --one-file-system "$work"
  return 0
}
trap cleanup EXIT
check() {
  local name="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok - $name"
  else
    failed=$((failed + 1))
    echo "FAIL - $name" >&2
  fi
}

"$here/scripts/install-deps.sh" debootstrap lintian dpkg-dev

deb="${1:-}"
built=0
if [ -z "$deb" ]; then
  # package.sh fails on a lintian error itself.
  deb="$("$here/scripts/package.sh")"
  built=1
  phase "package build"
fi
deb="$(realpath "$deb")"
[ -f "$deb" ] || { echo "package-test.sh: no package $deb" >&2; exit 2; }
version="$(dpkg-deb -f "$deb" Version)"
project_version="$(sed -n 's/^project(Pathkeep VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"

work="$(mktemp -d /var/tmp/pathkeep-package-test.XXXXXX)"
files="$work/files"
dpkg-deb -x "$deb" "$files"

# --- The package's files -------------------------------------------------------------------
if [ "$built" -eq 0 ]; then
  echo "== lintian"
  check "lintian reports no errors" lintian --fail-on error --info --display-level ">=warning" "$deb"
fi

# The desktop entry, metadata and manual pages themselves are checked by the data_files test.
check "three manual pages, compressed" \
  bash -c "[ \$(ls '$files'/usr/share/man/man1/*.1.gz | wc -l) -eq 3 ] && gzip -t '$files'/usr/share/man/man1/*.1.gz"
check "package version is the project's ($project_version)" [ "$version" = "$project_version" ]
check "data folder holds no manual pages, completions or desktop files" \
  bash -c "! ls -d '$files'/usr/share/pathkeep/{man,completions,screenshots,*.desktop,*.xml} 2>/dev/null | grep -q ."
check "dependencies come from dpkg-shlibdeps" \
  bash -c "dpkg-deb -f '$deb' Depends | grep -q 'libqt6widgets6 (>= '"
phase "package checks"

# --- A clean Debian 12 --------------------------------------------------------------------
mkdir -p "$cache/archives/partial"
base="$cache/bookworm-minbase.tar"
if [ ! -f "$base" ]; then
  echo "== debootstrap (kept in $cache)"
  debootstrap --variant=minbase bookworm "$work/base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log" >&2; exit 1; }
  tar -C "$work/base" -cf "$base.partial" .
  mv "$base.partial" "$base"
  rm -rf --one-file-system "$work/base"
fi
phase "minimal root (debootstrap)"
# The root lives on a file system of memory in a mount namespace of its own: nothing of it
# outlives the run, and nothing needs deleting file by file afterwards.
sources="deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main"
mkdir -p "$work/root" "$work/package"
cp "$deb" "$here/tests/e2e/e2elib.sh" "$work/package/"
cp "$here/scripts/package-test-inside.sh" "$work/package/inside.sh"

echo "== in the clean root"
status=0
unshare --mount --pid --fork -- bash -c '
  set -e
  root="$1"
  mount -t tmpfs -o size=6g,mode=755 tmpfs "$root"
  tar -C "$root" -xf "$2"
  printf "%s\n" "$3" >"$root/etc/apt/sources.list"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  cp -r "$4" "$root/tmp/package"
  mount -t proc proc "$root/proc"
  mount -t tmpfs tmpfs "$root/dev/shm"
  mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
  mount --bind "$5" "$root/var/cache/apt/archives"
  chroot "$root" /bin/bash /tmp/package/inside.sh "$6"
' bash "$work/root" "$base" "$sources" "$work/package" "$cache/archives" "$version" |
  tee "$work/inside.log" || status=$?
passed=$((passed + $(grep -c '^ok - ' "$work/inside.log" || true)))
failed=$((failed + $(grep -c '^FAIL - ' "$work/inside.log" || true)))
[ "$status" -eq 0 ] || [ "$(grep -c '^FAIL - ' "$work/inside.log" || true)" -gt 0 ] ||
  { echo "FAIL - the run in the clean root ended early (status $status)" >&2; failed=$((failed + 1)); }
phase "install, run, remove"

echo "Phase times:"
printf '  %s\n' "${phases[@]}"
echo "  total                        $SECONDS s"
echo "package-test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
