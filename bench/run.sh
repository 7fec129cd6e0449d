#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds mezu and the programs it is compared with, then prints the benchmark table.
# Usage: bench/run.sh [--files N] [--dirs N] [--wide-dirs N] [--chain-levels N]
#                     [--long-chain-levels N] [--runs N] [--work DIR]
#                     [--share] [--cold] [--big] [--reports] [--windows] [--all] [--warm]
# Without a case option the warm cases run; --share, --cold, --big, --reports and --windows choose the
# heavy ones (as root), --all runs everything. See docs/performance.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shared="$root/../shared/bench"
windows=""
share=""
for option in "$@"; do
    case "$option" in
    --windows) windows=yes share=yes ;;
    --all) windows=yes share=yes ;;
    --share) share=yes ;;
    esac
done
"$root/scripts/setup.sh" --bench >&2
# The programs of ../shared/bench, when they are there, are built into build/, never into the
# sources: the bare walker limit is the yardstick (the least time the survey can take), and
# make_big_tree builds the heavy cases' trees.
tools=()
mkdir -p "$root/build/bench"
if [ -f "$shared/limit.c" ]; then
    gcc -O2 -pthread -o "$root/build/bench/limit" "$shared/limit.c"
    tools+=(--limit "$root/build/bench/limit")
fi
if [ -f "$shared/make_big_tree.c" ]; then
    gcc -O2 -o "$root/build/bench/make_big_tree" "$shared/make_big_tree.c"
    tools+=(--make-big-tree "$root/build/bench/make_big_tree")
fi
if [ -f "$shared/slow_share.py" ]; then
    tools+=(--slow-share "$shared/slow_share.py")
fi
if [ -n "$windows" ]; then
    # The cross build needs no Wine; the benchmark runs it under Wine.
    "$root/scripts/install_packages.sh" wine wine64 >&2
    bash "$root/scripts/windows.sh" >&2
    tools+=(--windows-exe "$root/build-windows/bin/mezu-report.exe")
fi
mount_point=""
if [ -n "$share" ] && [ -f "$shared/slow_share.py" ]; then
    # A fresh mount point each run, unmounted here too whatever stops the run.
    mount_point=$(mktemp -d /tmp/mezu-bench-share-XXXXXX)
    tools+=(--share-mount "$mount_point")
fi
finish() {
    if [ -n "$mount_point" ]; then
        if [ -f "$mount_point.relay" ]; then
            python3 "$shared/slow_share.py" down "$mount_point" || true
        fi
        rmdir "$mount_point" 2>/dev/null || echo "run.sh: $mount_point is left: still mounted?" >&2
    fi
}
trap finish EXIT
# The benchmark runs as a child waited for, so that a signal reaches this script at once: it is
# passed on as SIGTERM, on which bench.py unmounts the share before it ends.
python3 "$root/bench/bench.py" --bin "$root/build/bin" "${tools[@]}" "$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 130' INT
trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 143' TERM HUP
wait "$child"
