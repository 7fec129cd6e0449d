#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mezu's command line, as a desktop's "Open with" and a user at a terminal use it: --help and
# --version answer without a display, a bad command line or directory is named with no window,
# no display is said in one line, and a directory given opens the window (offscreen) on it.
# Usage: mezu_start_test.sh MEZU
set -euo pipefail
mezu=${1:?usage: mezu_start_test.sh MEZU}
work=$(mktemp -d /tmp/mezu-start-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

# Qt's platform (none: no display) | arguments | exit status | a line of its output
while IFS='|' read -r platform arguments status line; do
    read -ra words <<<"$arguments"
    code=0
    output=$(headless ${platform:+QT_QPA_PLATFORM=$platform} "$mezu" "${words[@]}" 2>&1 </dev/null) || code=$?
    [ "$code" -eq "$status" ] || fail "mezu $arguments: exit status $code, not $status: $output"
    grep -qxF -- "$line" <<<"$output" || fail "mezu $arguments: $output"
done <<EOF_CASES
|--help|0|Usage: mezu [DIR]
|-h /tmp|0|Usage: mezu [DIR]
|--version|0|mezu 1.10
|--bogus|2|mezu: unknown option --bogus
offscreen|-bogus|2|mezu: unknown option -bogus
offscreen|/tmp /usr|2|mezu: one directory at most
offscreen|$work/missing|1|mezu: $work/missing: No such file or directory
offscreen|/etc/passwd|1|mezu: /etc/passwd: Not a directory
EOF_CASES

code=0
output=$(headless "$mezu" 2>&1 </dev/null) || code=$?
[ "$code" -eq 1 ] && [ "$(wc -l <<<"$output")" -eq 1 ] && [[ "$output" == "mezu: no display"* ]] ||
    fail "without a display mezu says (status $code): $output"

headless "$mezu" --version | grep -q '^License: MIT' || fail "--version does not state the licence"
width=$(headless "$mezu" --help | python3 -c 'import sys, unicodedata
print(max(sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line.rstrip("\n")) for line in sys.stdin))')
[ "$width" -le 79 ] || fail "--help has a line of $width columns"

# Given a directory, the window opens on it and stays until it is closed.
mkdir "$work/tree"
QT_QPA_PLATFORM=offscreen "$mezu" "$work/tree" >"$work/out" 2>&1 &
window=$!
sleep 2
if kill -0 "$window" 2>/dev/null; then
    kill "$window"
    wait "$window" 2>/dev/null || true
else
    wait "$window" || true
    fail "mezu $work/tree did not stay open: $(cat "$work/out")"
fi

[ "$failures" -eq 0 ] || exit 1
echo "ok - mezu answers --help and --version, names bad input, and opens on a directory"
