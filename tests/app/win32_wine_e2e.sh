#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs mezu-report.exe under Wine on a generated tree, which Wine shows below drive Z: (the
# Linux root), and checks its figures: against an independent computation with find and awk
# rounded to the cluster size Wine reports for Z:, and against the Linux mezu-report on the same
# tree when the two see the same cluster size. Also checks the saved Shift_JIS report (also
# with -o -), the UTF-8 command-line arguments, --drive, the progress on a console, the help,
# and that a Unix symbolic link to a directory (a reparse point to Windows) is not entered.
# Usage: win32_wine_e2e.sh PATH-TO-mezu-report.exe [PATH-TO-LINUX-mezu-report]
set -euo pipefail
export LC_ALL=C.UTF-8 WINEDEBUG=-all
exe=${1:?usage: win32_wine_e2e.sh mezu-report.exe [mezu-report]}
linux=${2:-}
crosscheck="$(dirname "$(readlink -f "$0")")/crosscheck.sh"
work=$(mktemp -d /tmp/mezu-wine-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0

pass() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failures=$((failures + 1)); }
windowsPath() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
runExe() { wine "$exe" "$@" </dev/null | tr -d '\r'; }

# "BYTES PATH" for every result line, the path as a Linux path: drive LETTER (default Z) stands
# for the directory ROOT (default the Linux root).
resultLines() {
    local letter=${1:-Z} root=${2:-}
    sed -n 's/^[0-9]\{4,\}\.[0-9][0-9]MB - \(.*[^ ]\) *= ([0-9.]*KB) (\([0-9]*\) B)$/\2 \1/p' |
        while read -r bytes path; do
            rel=${path#"$letter":}
            rel=${rel//\\//}
            printf '%s %s\n' "$bytes" "$root${rel%/}"
        done | sort
}

# A tree of sizes around cluster boundaries, hidden entries, a Japanese name, a sparse file past
# 4 GiB and links that a walk must not follow (one of them back to the top).
gen="$work/gen"
mkdir -p "$gen"
bash "$crosscheck" --tree "$gen" 8 3
mkdir -p "$gen/日本語のディレクトリ" "$gen/with space"
truncate -s 5000 "$gen/日本語のディレクトリ/ファイル" "$gen/with space/file"
truncate -s $(((1 << 32) + 1)) "$gen/d1/sparse-4g"
ln -s .. "$gen/d2/up"
ln -s ../d3 "$gen/d2/sideways"
# Files with data written, whose allocation is not nothing as the truncated ones' is.
head -c 10000 /dev/zero >"$gen/d1/dense"
head -c 70000 /dev/zero >"$gen/d3/e1/f/dense"

started=$(date +%s%N)
out=$(runExe survey "$(windowsPath "$gen")")
elapsed=$((($(date +%s%N) - started) / 1000000))
cluster=$(runExe drives | grep -A1 '^Z drive:' | sed -n 's/.*Block = *\([0-9]*\) B$/\1/p')

checks=$((checks + 1))
if [ -n "$cluster" ] && diff <(bash "$crosscheck" --expected "$gen" "$cluster") <(printf '%s\n' "$out" | resultLines) >"$work/diff"; then
    pass "survey of a generated tree matches find with Wine's cluster size $cluster ($(printf '%s\n' "$out" | grep -c 'MB - ') result lines, ${elapsed} ms under Wine)"
else
    fail "survey of a generated tree (cluster '$cluster')"; cat "$work/diff"
fi

if [ -n "$linux" ] && [ "$(stat -f -c %S "$gen")" != "$cluster" ]; then
    echo "skip - Linux mezu-report not compared: its cluster size differs from Wine's"
elif [ -n "$linux" ]; then
    checks=$((checks + 1))
    if diff <("$linux" --drive C="$work" survey "$gen" | resultLines C "$work") \
            <(printf '%s\n' "$out" | resultLines) >"$work/diff"; then
        pass "survey matches the Linux mezu-report line for line"
    else
        fail "survey differs from the Linux mezu-report"; cat "$work/diff"
    fi
fi
# In the allocated size mode each directory's allocations are read in one pass; they must be
# what the Linux program reads from lstat, which Wine's figures come from.
if [ -n "$linux" ]; then
    checks=$((checks + 1))
    if diff <("$linux" --drive C="$work" --size allocated survey "$gen" | resultLines C "$work") \
            <(runExe --size allocated survey "$(windowsPath "$gen")" | resultLines) >"$work/diff"; then
        pass "allocated sizes match the Linux mezu-report line for line"
    else
        fail "allocated sizes differ from the Linux mezu-report"; cat "$work/diff"
    fi
fi

# The saved report is the printed one in Shift_JIS with CR LF (the date line may tick, the free
# space change).
checks=$((checks + 1))
wine "$exe" -o "$(windowsPath "$work/MEZU.TXT")" survey "$(windowsPath "$gen")" </dev/null
if diff <(printf '%s\n' "$out" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' | sed '5d;7d') <(sed '5d;7d' "$work/MEZU.TXT") >"$work/diff" &&
    [ "$(grep -c $'\r$' "$work/MEZU.TXT")" = "$(wc -l <"$work/MEZU.TXT")" ]; then
    pass "saved report is the printed one in Shift_JIS with CR LF"
else
    fail "saved report"; cat "$work/diff"
fi

# -o - writes the saved file's bytes to standard output where the shell left it.
checks=$((checks + 1))
{
    echo H
    wine "$exe" -o - survey "$(windowsPath "$gen")" </dev/null
    echo F
} >"$work/around.txt"
if [ "$(head -n 1 "$work/around.txt")" = H ] && [ "$(tail -n 1 "$work/around.txt")" = F ] &&
    diff <(sed '1d;$d' "$work/around.txt" | sed '5d;7d') <(sed '5d;7d' "$work/MEZU.TXT") >"$work/diff"; then
    pass "-o - writes the saved report to standard output, between what came before and after"
else
    fail "-o -"; cat "$work/diff"
fi

# A read-only report file is refused and kept.
checks=$((checks + 1))
printf 'precious' >"$work/KEPT.TXT"
chmod 444 "$work/KEPT.TXT"
if ! wine "$exe" -o "$(windowsPath "$work/KEPT.TXT")" drives </dev/null 2>"$work/err" &&
    [ "$(cat "$work/KEPT.TXT")" = precious ] && grep -q 'read-only' "$work/err"; then
    pass "a read-only report file is refused and kept"
else
    fail "read-only report file: $(cat "$work/err")"
fi

# A directory named in Japanese on the command line, and --drive.
checks=$((checks + 1))
named=$(runExe survey "$(windowsPath "$gen/日本語のディレクトリ")" | resultLines)
mapped=$(runExe --drive "E=$(windowsPath "$gen")" survey 'E:\日本語のディレクトリ' | grep -c 'MB - E:\\日本語のディレクトリ ' || true)
if [ "$named" = "$(bash "$crosscheck" --expected "$gen/日本語のディレクトリ" "$cluster")" ] && [ "$mapped" = 1 ]; then
    pass "UTF-8 arguments and --drive"
else
    fail "UTF-8 arguments and --drive: '$named' '$mapped'"
fi

# On a console (Wine runs one in a terminal) the survey shows its progress on standard error,
# and the report comes whole.
checks=$((checks + 1))
script -qc "wine '$exe' survey '$(windowsPath "$gen")'" "$work/console.txt" </dev/null >/dev/null
if grep -aq 'surveying: [0-9]* measured' "$work/console.txt" &&
    [ "$(grep -ac 'MB - ' "$work/console.txt")" = "$(printf '%s\n' "$out" | grep -c 'MB - ')" ]; then
    pass "on a console: progress on standard error, the whole report"
else
    fail "on a console"; tr '\r' '\n' <"$work/console.txt" | head -20
fi

# The reports of files give the Linux mezu-report's lines: the dates of files, in the past and
# the future, read from the directories' records, and a file with several names, counted once
# with --hard-links once, told by its file index. The body and footer are compared, with the
# tree's Windows path written as the Linux run's drive C:. Which name of a file counted once
# is the one counted follows each system's order of listing, so with --hard-links once only
# what does not depend on it is compared: the kinds, and the whole tree's line of a survey.
ln "$gen/d1/dense" "$gen/d3/dense-link"
ln "$gen/d1/dense" "$gen/d1/dense-again"
touch -d '2019-05-01 12:00' "$gen/d3/e1/f/dense"
touch -d '2031-01-01 12:00' "$gen/with space/file"
windowsTree=$(windowsPath "$work")
body() { sed -n '/^+\{10,\}$/,$p' | sed '1d' | sed "s|${windowsTree//\\/\\\\}|C:|"; }
linuxCluster=""
[ -n "$linux" ] && linuxCluster=$("$linux" --drive C="$work" drives | grep -A1 '^C drive:' | sed -n 's/.*Block = *\([0-9]*\) B$/\1/p')
for report in "largest -n 8" kinds ages "--hard-links once kinds" "--hard-links once survey"; do
    checks=$((checks + 1))
    if [ -z "$cluster" ] || [ "$linuxCluster" != "$cluster" ]; then
        echo "skip - $report not compared: no Linux mezu-report of Wine's cluster size"
        continue
    fi
    # A survey's lines pad their paths, which differ in length: compared as bytes and paths.
    # shellcheck disable=SC2086 # the report's words are options and a command
    if [[ $report == *survey ]]; then
        "$linux" --drive C="$work" $report 'C:\gen' | resultLines C "$work" | grep " $gen\$" >"$work/linux.txt"
        runExe $report "$(windowsPath "$gen")" | resultLines | grep " $gen\$" >"$work/wine.txt"
    else
        "$linux" --drive C="$work" $report 'C:\gen' | body >"$work/linux.txt"
        runExe $report "$(windowsPath "$gen")" | body >"$work/wine.txt"
    fi
    if diff "$work/linux.txt" "$work/wine.txt" >"$work/diff" && [ -s "$work/wine.txt" ]; then
        pass "$report matches the Linux mezu-report ($(wc -l <"$work/wine.txt") lines)"
    else
        fail "$report differs from the Linux mezu-report"; cat "$work/diff"
    fi
done

# The help speaks of Windows: its drives, attributes and junctions, not of Linux mounts.
checks=$((checks + 1))
help=$(runExe --help)
if grep -q "the drives are the system's own, C: to Z:" <<<"$help" && grep -q 'junctions' <<<"$help" &&
    ! grep -q 'mounted file systems\|names$' <<<"$help"; then
    pass "--help describes the Windows program"
else
    fail "--help: $help"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
