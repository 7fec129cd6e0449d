#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the core, the POSIX backend, mezu-report and their suites with clang, whose
# -Wthread-safety proves that each mutex guards what it is said to (warnings fail the build),
# runs the quick suites of that build, runs clang-tidy (.clang-tidy) over the same sources and
# checks every C++ file against .clang-format: any finding fails. The Qt window and the Win32 layers are left to their own builds.
# Usage: scripts/clang.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_packages.sh clang clang-tidy clang-format cmake ninja-build pkg-config libmount-dev libgtest-dev

build=build-clang
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g0" \
    -DMEZU_BUILD_QT_WINDOW=OFF -DBUILD_TESTING=ON -DMEZU_WERROR=ON >/dev/null
cmake --build "$build" -j 2
ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2 -L unit

# What compile_commands.json holds of src/, but the window layers.
mapfile -t sources < <(python3 - "$build/compile_commands.json" <<'PY'
import json, os, sys
root = os.getcwd() + "/src/"
for entry in json.load(open(sys.argv[1])):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(root) and "/ui/qt/" not in path and "/win32" not in path:
        print(os.path.relpath(path))
PY
)
echo "clang-tidy over ${#sources[@]} files"
printf '%s\n' "${sources[@]}" | sort -u | xargs -P 2 -n 4 clang-tidy -p "$build" --quiet
echo "clang-format over every C++ file"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
