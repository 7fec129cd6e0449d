#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mezu-report's progress on a real terminal (a pseudo-terminal made by script): shown, its
# line redrawn with escapes, where the terminal can take them; not under TERM=dumb, which
# prints escapes as they are, nor with --quiet. The report itself is the same each time.
# Usage: progress_terminal_test.sh MEZU-REPORT
set -euo pipefail
report=${1:?usage: progress_terminal_test.sh MEZU-REPORT}
if ! command -v script >/dev/null; then
    echo "skip - script (bsdutils) is not installed"
    exit 77
fi
work=$(mktemp -d /tmp/mezu-progress-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tree/a/b" "$work/tree/c"
lines() { grep -E ' - C:|：' | grep -v '実施日時'; }
expected=$("$report" --drive "C=$work" survey 'C:\tree' | lines)

failures=0
# TERM | options | whether progress shows
while read -r terminal options shown; do
    [ "$options" = - ] && options=""
    output=$(TERM=$terminal script -qec "'$report' $options --drive 'C=$work' survey 'C:\\tree'" /dev/null </dev/null | tr -d '\r')
    if grep -q $'\033' <<<"$output"; then got=yes; else got=no; fi
    [ "$got" = "$shown" ] || { echo "FAIL - TERM=$terminal $options: progress shown: $got"; failures=$((failures + 1)); }
    # Its lines, the date aside, are what they are without a terminal.
    [ "$(lines <<<"$output")" = "$expected" ] ||
        { echo "FAIL - TERM=$terminal $options: the report differs: $output"; failures=$((failures + 1)); }
done <<'CASES'
xterm - yes
dumb - no
xterm --quiet no
xterm -q no
CASES
[ "$failures" -eq 0 ] || exit 1
echo "ok - progress on a terminal, none under TERM=dumb or with --quiet"
