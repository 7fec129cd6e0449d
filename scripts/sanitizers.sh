#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the core, the POSIX backend and mezu-report with AddressSanitizer and
# UndefinedBehaviorSanitizer, and again with ThreadSanitizer, and runs their suites under them:
# every suite of the first build (the window is left out; the benchmark and the cross-check
# with find(1) only repeat what those suites walk), and the suites of the reader threads (the
# read scheduler, the descriptor budget and the file system's walks) under the second. Any report fails the run.
# Usage: scripts/sanitizers.sh   (after scripts/setup.sh --tests)
set -euo pipefail
cd "$(dirname "$0")/.."

# Usage: build DIR FLAGS [TARGET...]; every target when none is named.
build() {
    local dir=$1 flags=$2
    shift 2
    # -O1 with line tables: quick to build, and the reports still name file and line.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize -DMEZU_BUILD_QT_WINDOW=OFF \
        -DBUILD_TESTING=ON -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g1" \
        -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" >/dev/null
    cmake --build "$dir" ${1:+--target "$@"}
}

# No vptr check: it proves an object readable through a pipe of its own, which fails, and so
# misfires on valid objects, when a test runs mezu-report out of descriptors on purpose.
build build-asan "-fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --timeout 900 -j 2 -E 'mezu_bench_smoke|mezu_report_crosscheck'

build build-tsan "-fsanitize=thread" mezu_platform_tests mezu_core_tests
# ThreadSanitizer's shadow memory does not fit beside a heap placed with the full address
# randomisation of newer kernels; its own re-exec without randomisation is what setarch gives.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure --timeout 900 -j 2 \
    -R 'ScheduledTreeWalk|PosixFileSystem|FileSystemContract|EntryExamination|MezucomTest'
