#!/usr/bin/env bash
# Builds mezu and the programs it is compared with, then prints the benchmark table.
# Usage: bench/run.sh [--files N] [--dirs N] [--wide-dirs N] [--chain-levels N]
#                     [--long-chain-levels N] [--runs N] [--work DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --bench >&2
# The bare walker of ../shared/bench, when it is there, is the yardstick: the least time the
# survey can take. It is built into build/, never into the sources.
limit=()
limit_source="$root/../shared/bench/limit.c"
if [ -f "$limit_source" ] && command -v gcc >/dev/null; then
    mkdir -p "$root/build/bench"
    gcc -O2 -pthread -o "$root/build/bench/limit" "$limit_source"
    limit=(--limit "$root/build/bench/limit")
fi
exec python3 "$root/bench/bench.py" --bin "$root/build/bin" "${limit[@]}" "$@"
