#!/usr/bin/env bash
# Sets up mezu with its test suites and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
ctest --test-dir build --output-on-failure --timeout 600 -j 2
scripts/sanitizers.sh
