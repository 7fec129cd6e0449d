#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up mezu with its test suites and runs every test: the Linux build, the same core under
# the sanitizers, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
ctest --test-dir build --output-on-failure --timeout 600 -j 2
scripts/sanitizers.sh
MEZU_LINUX_REPORT="$PWD/build/bin/mezu-report" scripts/windows.sh --tests
