#!/usr/bin/env bash
# Builds mezu and the programs it is compared with, then prints the benchmark table.
# Usage: bench/run.sh [--files N] [--dirs N] [--wide-dirs N] [--runs N] [--work DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --bench >&2
exec python3 "$root/bench/bench.py" --bin "$root/build/bin" "$@"
