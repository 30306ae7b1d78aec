#!/usr/bin/env bash
# Each program tells its name and version with --version, without a display.
set -u
version="$1"
shift
failed=0
for program in "$@"; do
  name="$(basename "$program")"
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version 2>&1)"
  status=$?
  if [ "$status" -ne 0 ] || [ "$out" != "$name $version" ]; then
    echo "FAILED $name --version: status $status, said: $out"
    failed=$((failed + 1))
  fi
done
echo "$(($# - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
