#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up mezu with its test suites and runs every test: the Linux build (warnings fail it), the
# same core under the sanitizers, a clang build with its thread-safety analysis and clang-tidy,
# then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
# Warnings fail the builds made here (MEZU_WERROR), not a user's own build with a newer compiler.
export MEZU_WERROR=ON
scripts/setup.sh --tests
ctest --test-dir build --output-on-failure --timeout 600 -j 2
scripts/sanitizers.sh
scripts/clang.sh
MEZU_LINUX_REPORT="$PWD/build/bin/mezu-report" scripts/windows.sh --tests
