#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-checks mezu-report against an independent computation with find and awk: for every
# result line, the bytes of all regular files below that directory, each rounded up to whole
# blocks of the file system, leaving out hidden entries (and all below hidden directories),
# links, special files and other file systems. Covers generated trees, a real system
# directory, and a directory that cannot be read (run unprivileged when we are root); and the
# reports of files (largest, kinds, ages) against file_reports_check.py's count with os.walk.
set -euo pipefail
self=$(readlink -f "$0")
export LC_ALL=C

# Prints "BYTES PATH" for DIR and each immediate subdirectory (hidden ones left out).
expected() {
    local dir=$1 cluster=$2
    local sub
    # find fails on what it cannot read; what it could read still counts.
    set +e +o pipefail
    {
        printf '%s\n' "$dir"
        find "$dir" -mindepth 1 -maxdepth 1 -type d ! -name '.*' -print 2>/dev/null
    } | while IFS= read -r sub; do
        if [ "$sub" != "$dir" ] && mountpoint -q "$sub"; then continue; fi
        find "$sub" -xdev -mindepth 1 -name '.*' -prune -o -type f -printf '%s\n' 2>/dev/null |
            awk -v c="$cluster" -v p="$sub" '{ t += int(($1 + c - 1) / c) * c } END { printf "%.0f %s\n", t, p }'
    done | sort
}

# Prints "BYTES PATH" for every result line of a report of DIR on drive C: rooted at ROOT.
actual() {
    local root=$1
    sed -n 's/^[0-9]\{4,\}\.[0-9][0-9]MB - \(.*[^ ]\) *= ([0-9.]*KB) (\([0-9]*\) B)$/\2 \1/p' |
        while read -r bytes path; do
            rel=${path#C:\\}
            rel=${rel//\\//}
            printf '%s %s\n' "$bytes" "${root%/}${rel:+/$rel}"
        done | sort
}

# Builds in DIR directories d1..dTOPS, each with 1 to FANOUT subdirectories of files of many
# sizes around block boundaries, a hidden directory and a hidden file; callers add their own.
sizesTree() {
    local gen=$1 tops=$2 fanout=$3
    local d e f sub
    for d in $(seq 1 "$tops"); do
        for e in $(seq 1 $((d % fanout + 1))); do
            sub="$gen/d$d/e$e"
            mkdir -p "$sub/.hid" "$sub/f"
            for f in $(seq 1 $((d + e))); do
                truncate -s $(((d * 7919 + e * 104729 + f * 4093) % 20000)) "$sub/f/file$f"
            done
            truncate -s 4096 "$sub/x4096"
            truncate -s 4097 "$sub/x4097"
            truncate -s 999 "$sub/.hid/hidden"
            truncate -s 123 "$sub/.dotfile"
        done
    done
}

case "${1:-}" in
--expected) expected "$2" "$3"; exit 0 ;;
--tree) sizesTree "$2" "$3" "$4"; exit 0 ;;
esac
report=${1:?usage: crosscheck.sh PATH-TO-mezu-report}
work=$(mktemp -d /tmp/mezu-crosscheck-XXXXXX)
chmod 755 "$work"
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
checks=0

# A survey's figures against find's; the run must end with `status` (1 when some directory
# cannot be read, each then named on standard error).
check() {
    local name=$1 root=$2 dir=$3 runner=${4:-} status=${5:-0}
    local cluster out ended=0
    cluster=$(stat -f -c %S "$root")
    out=$($runner "$report" --drive "C=$root" survey "$dir" 2>"$work/stderr") || ended=$?
    checks=$((checks + 1))
    if [ "$ended" -ne "$status" ]; then
        echo "FAIL - $name: exit status $ended, not $status"; cat "$work/stderr"; failures=$((failures + 1))
    elif diff <($runner bash "$self" --expected "$dir" "$cluster") <(printf '%s\n' "$out" | actual "$root") >"$work/diff"; then
        echo "ok - $name ($(printf '%s\n' "$out" | grep -c 'MB - ') result lines)"
    else
        echo "FAIL - $name"; cat "$work/diff"; failures=$((failures + 1))
    fi
}

# A generated tree: many sizes around block boundaries, hidden entries, links, nesting.
gen="$work/gen"
mkdir -p "$gen"
sizesTree "$gen" 12 4
for sub in "$gen"/d*/e*; do
    ln -s ../ "$sub/up"
    ln -s x4097 "$sub/link"
done
mkdir -p "$gen/空のディレクトリ" "$gen/with space"
truncate -s 5000 "$gen/with space/file"
truncate -s 3000000000 "$gen/d1/sparse-3g"
check "generated tree" "$work" "$gen"

# The saved report is the printed one in Shift_JIS with CR LF, line for line (the date line and
# the free space may change between the two runs).
printed=$("$report" --drive "C=$work" survey "$gen")
"$report" --drive "C=$work" -o "$work/MEZU.TXT" survey "$gen"
checks=$((checks + 1))
if diff <(printf '%s\n' "$printed" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' | sed '5d;7d') \
        <(sed '5d;7d' "$work/MEZU.TXT") >"$work/diff" && [ "$(wc -l <"$work/MEZU.TXT")" -gt 10 ]; then
    echo "ok - saved report is the printed one in Shift_JIS with CR LF"
else
    echo "FAIL - saved report"; cat "$work/diff"; failures=$((failures + 1))
fi

# Drive figures against df and stat -f, for the root file system, a tmpfs and our tree.
drives_report=$("$report" --drive C=/ --drive D=/dev/shm --drive E="$work" drives)
for pair in C:/ D:/dev/shm E:"$work"; do
    letter=${pair%%:*} root=${pair#*:}
    checks=$((checks + 1))
    read -r size avail < <(df -B1 --output=size,avail "$root" | tail -1)
    block=$(stat -f -c %S "$root")
    space=$(printf '%s\n' "$drives_report" | grep "^$letter drive:")
    geometry=$(printf '%s\n' "$drives_report" | grep -A1 "^$letter drive:" | tail -1)
    total=$(sed -n 's/.*Total = \([0-9]*\) MB.*/\1/p' <<<"$space")
    free=$(sed -n 's/.*Free = \([0-9]*\) MB.*/\1/p' <<<"$space")
    shown_block=$(sed -n 's/.*Block =  \([0-9]*\) B$/\1/p' <<<"$geometry")
    expected_free=$((avail / 1048576))
    drift=$((free > expected_free ? free - expected_free : expected_free - free))
    if [ "$total" = $((size / 1048576)) ] && [ "$shown_block" = "$block" ] && [ "$drift" -le 64 ]; then
        echo "ok - drive $letter: ($root) matches df and stat -f"
    else
        echo "FAIL - drive $letter: ($root): '$space' '$geometry' vs size $size avail $avail block $block"
        failures=$((failures + 1))
    fi
done

# The all-drives survey: each drive's top-level directories, sorted, figures as find has them.
sections=$("$report" --drive C="$gen/d1" --drive E="$gen/d2" all-drives)
for pair in C:"$gen/d1" E:"$gen/d2"; do
    letter=${pair%%:*} root=${pair#*:}
    checks=$((checks + 1))
    section=$(printf '%s\n' "$sections" | grep "MB - $letter:")
    cluster=$(stat -f -c %S "$root")
    got=$(printf '%s\n' "$section" | sed -n 's/^[0-9]\{4,\}\.[0-9][0-9]MB - \(.*[^ ]\) *= ([0-9.]*KB) (\([0-9]*\) B)$/\2 \1/p' |
          while read -r bytes path; do rel=${path#"$letter":\\}; printf '%s %s\n' "$bytes" "$root/${rel//\\//}"; done | sort)
    want=$(bash "$self" --expected "$root" "$cluster" | grep -v " $root\$")
    if [ "$got" = "$want" ] && [ "$section" = "$(printf '%s\n' "$section" | sort -r)" ]; then
        echo "ok - all-drives section of $letter: sorted, $(printf '%s\n' "$section" | wc -l) lines as find has them"
    else
        echo "FAIL - all-drives section of $letter:"; diff <(printf '%s\n' "$want") <(printf '%s\n' "$got")
        failures=$((failures + 1))
    fi
done

# The reports of files: a tree of many kinds (more than the 50 shown) and ages, hidden files,
# links, a sparse file, names without an extension or with one in either case, dates in the
# future and years back, and hard links within and across directories, each report checked
# in both size modes and both ways of counting links by file_reports_check.py.
files="$work/files"
sizesTree "$files" 3 2
for sub in "$files"/d*/e*; do ln -s x4097 "$sub/link.jpg"; done
mkdir -p "$files/kinds" "$files/dated" "$files/linked/a" "$files/linked/b" "$files/.hidden"
for k in $(seq 1 60); do truncate -s $((k * 1000)) "$files/kinds/k.x$k"; done
truncate -s 300000 "$files/kinds/A.JPG" "$files/kinds/C.Jpg"
truncate -s 200000 "$files/kinds/b.jpg" "$files/kinds/archive.tar.GZ" "$files/kinds/README" "$files/kinds/trailing."
truncate -s 9000 "$files/.hidden/big.jpg" "$files/kinds/.hidden.jpg"
truncate -s 4000000000 "$files/kinds/sparse.img"
printf 'data%.0s' $(seq 1 3000) >"$files/kinds/written.img"
for age in '+2 years' '10 days ago' '2 months ago' '7 months ago' '18 months ago' '3 years ago' '7 years ago'; do
    name="$files/dated/${age// /_}.log"
    truncate -s 50000 "$name"
    touch -d "$age" "$name"
done
truncate -s 70000 "$files/linked/a/one.bin"
ln "$files/linked/a/one.bin" "$files/linked/a/two.bin"
ln "$files/linked/a/one.bin" "$files/linked/b/three.bin"
touch -d '2 months ago' "$files/linked/a/one.bin"
for size in clusters allocated; do
    for links in every once; do
        while IFS= read -r line; do
            echo "$line"
            checks=$((checks + 1))
            [[ $line == ok* ]] || failures=$((failures + 1))
        done < <(python3 "$(dirname "$self")/file_reports_check.py" "$report" "$work" "$files" "$size" "$links" 2>&1)
    done
done

# Each report of files is saved as the window saves it, and names what it could not read as a
# survey does, with the same status.
for command in largest kinds ages; do
    printed=$("$report" --drive "C=$work" "$command" "$files")
    "$report" --drive "C=$work" -o "$work/FILES.TXT" "$command" "$files"
    checks=$((checks + 1))
    if diff <(printf '%s\n' "$printed" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' | sed '5d;7d') \
            <(sed '5d;7d' "$work/FILES.TXT") >"$work/diff"; then
        echo "ok - saved $command report is the printed one in Shift_JIS with CR LF"
    else
        echo "FAIL - saved $command report"; cat "$work/diff"; failures=$((failures + 1))
    fi
done

# A real directory of this system, surveyed where it lies.
for real in /usr/share/doc /usr/include /etc; do
    if [ -d "$real" ]; then
        check "system directory $real" / "$real"
        break
    fi
done

# An unreadable subdirectory: measured as far as it can be, no crash.
locked="$work/locked"
mkdir -p "$locked/open" "$locked/closed/inner"
truncate -s 10000 "$locked/open/f" "$locked/closed/inner/g" "$locked/closed/g"
chmod 000 "$locked/closed"
if [ "$(id -u)" -eq 0 ]; then
    if command -v setpriv >/dev/null && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
        unprivileged="setpriv --reuid=65534 --regid=65534 --clear-groups"
        # The checkout may lie where nobody cannot enter (a private home, a mktemp directory):
        # nobody runs copies from the work directory, or setpriv's own failure to start the
        # program would pass for the status 1 expected here.
        mkdir "$work/programs"
        cp "$report" "$work/programs/mezu-report"
        cp "$self" "$work/programs/crosscheck.sh"
        chmod 755 "$work/programs" "$work/programs/mezu-report" "$work/programs/crosscheck.sh"
        report="$work/programs/mezu-report"
        self="$work/programs/crosscheck.sh"
        check "unreadable subdirectory (as nobody)" "$work" "$locked" "$unprivileged" 1
    else
        echo "skip - unreadable subdirectory: cannot drop root privileges here"
    fi
else
    check "unreadable subdirectory" "$work" "$locked" "" 1
fi
if [ -s "$work/stderr" ] && [ "$(cat "$work/stderr")" != "mezu-report: C:\\locked\\closed ($locked/closed): Permission denied" ]; then
    echo "FAIL - unreadable subdirectory is not named on standard error:"; cat "$work/stderr"
    failures=$((failures + 1))
fi
if [ -s "$work/stderr" ]; then
    for command in largest kinds ages; do
        checks=$((checks + 1))
        ended=0
        ${unprivileged:-} "$report" --drive "C=$work" "$command" "$locked" >/dev/null 2>"$work/stderr-$command" || ended=$?
        if [ "$ended" -eq 1 ] && cmp -s "$work/stderr" "$work/stderr-$command"; then
            echo "ok - $command names the unreadable subdirectory as survey does"
        else
            echo "FAIL - $command on an unreadable subdirectory: status $ended"; cat "$work/stderr-$command"
            failures=$((failures + 1))
        fi
    done
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
