#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
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

bench=$(cd "$(dirname "$0")/../../bench" && pwd)
out=$(python3 "$bench/bench.py" --bin "$bin" --work "$work" \
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

# A heavy case without its tools says why it did not run, and its targets show as not measured.
out=$(python3 "$bench/bench.py" --bin "$bin" --work "$work" --share --cold --big --windows --runs 1 2>&1 | sed -n '/^Targets/,$p')
if ! grep -q "share, cold: mezu-report / gdu .* not measured: " <<<"$out" ||
        ! grep -q "1.4M entries, warm: peak memory .* not measured: " <<<"$out"; then
    echo "FAIL - heavy cases without their tools:"; echo "$out"; exit 1
fi
echo "ok - heavy cases without their tools are named as not measured"

# The Windows case holds the reports of one tree seen under two drive paths as the same, and
# a file more in a subdirectory as a difference.
python3 -B - "$bench" "$bin/mezu-report" "$work/nested" <<'PYTHON'
import os, subprocess, sys
sys.path.insert(0, sys.argv[1])
from heavy import report_lines
report, tree = sys.argv[2:]
def lines(*command):
    return report_lines(subprocess.run([report] + list(command), stdout=subprocess.PIPE, check=True).stdout)
by_path = lines("survey", tree)
assert len(by_path) > 2 and by_path == lines("--drive", "C=" + tree, "survey", "C:\\"), by_path
sub = sorted(d for d in os.listdir(tree) if not d.startswith("."))[0]
with open(os.path.join(tree, sub, "one-more"), "wb") as f:
    f.write(b"x" * 70000)
assert lines("survey", tree) != by_path
print("ok - report lines compare across drive paths")
PYTHON
