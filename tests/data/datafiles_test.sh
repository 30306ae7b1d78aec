#!/usr/bin/env bash
# datafiles_test.sh SOURCE-DIR VERSION: the desktop entry passes desktop-file-validate without a
# hint, the AppStream metadata passes appstreamcli, the manual pages pass groff without a
# warning, the completions parse in their shells, and every file that states the version states
# VERSION. Prints "N passed, N failed".
set -uo pipefail
src="$1"
version="$2"
id=io.github.pathkeep.Pathkeep
passed=0
failed=0
check() {
  local name="$1"
  shift
  local out
  if out="$("$@" 2>&1)"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $name" >&2
    [ -n "$out" ] && sed 's/^/  /' <<<"$out" >&2
  fi
}
silent() { local out; out="$("$@" 2>&1)" || { echo "$out"; return 1; }; [ -z "$out" ] || { echo "$out"; return 1; }; }
for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

check "desktop entry: no errors, warnings or hints" silent desktop-file-validate "$src/data/$id.desktop"
# The home page and the screenshot are on the web, which tests do not reach.
check "AppStream metadata validates" appstreamcli validate --no-net "$src/data/$id.metainfo.xml"
check "the metainfo launches the desktop entry" \
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$src/data/$id.metainfo.xml"
check "the metainfo's newest release is $version" \
  bash -c "grep -m1 '<release ' '$src/data/$id.metainfo.xml' | grep -q 'version=\"$version\"'"
check "the changelog's newest entry is $version" \
  bash -c "head -n1 '$src/packaging/changelog' | grep -q '^pathkeep ($version) '"
for page in "$src"/data/man/*.1; do
  check "$(basename "$page"): groff reports nothing" silent groff -man -Tutf8 -ww -z "$page"
done
check "bash completion parses" bash -n "$src/data/completions/pathkeep-cli.bash"
if command -v zsh >/dev/null; then
  check "zsh completion parses" zsh -n "$src/data/completions/_pathkeep-cli"
fi
if command -v fish >/dev/null; then
  check "fish completion parses" fish -n "$src/data/completions/pathkeep-cli.fish"
fi

echo "data files: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
