#!/usr/bin/env bash
# The benchmark script runs end to end on small trees and prints its whole table. No figure is
# judged here: the speed targets belong to bench/run.sh on the full trees.
# Usage: bench_smoke.sh BIN-DIR
set -euo pipefail
bin=${1:?usage: bench_smoke.sh BIN-DIR}
for tool in python3 ncdu /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "skip - $tool is not installed"
        exit 77
    fi
done
work=$(mktemp -d /tmp/mezu-bench-smoke-XXXXXX)
trap 'rm -rf "$work"' EXIT

out=$(python3 "$(dirname "$0")/../../bench/bench.py" --bin "$bin" --work "$work" \
    --files 3000 --dirs 300 --wide-dirs 300 --open-dirs 300 --chain-levels 300 --long-chain-levels 30 \
    --runs 1 2>&1)
echo "$out"
for expected in "mezu-report survey" "mezu-report --threads 1 survey" "du -d 1 -B1" \
    "ncdu -0 -o /dev/null" "nested tree: mezu-report / du" "wide directory: peak memory" \
    "directory chain: peak memory" "chain of long names: peak memory"; do
    if ! grep -qF -- "$expected" <<<"$out"; then
        echo "FAIL - the table has no line for: $expected"
        exit 1
    fi
done
echo "ok - the benchmark prints its table"
