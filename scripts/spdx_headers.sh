#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Gives every tracked source file (C++, CMake, shell, Python) the licence's SPDX line as its
# first line (after a #! line), where it has none; with --check only lists those without one
# and fails if there are any.
# Usage: scripts/spdx_headers.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
check=""
[ "${1:-}" != --check ] || check=yes
tag="SPDX-License-Identifier: MIT"
missing=0
while IFS= read -r file; do
    head -n 3 "$file" | grep -q "SPDX-License-Identifier:" && continue
    missing=$((missing + 1))
    if [ -n "$check" ]; then
        echo "$file: no SPDX-License-Identifier line"
        continue
    fi
    case "$file" in
    *.cpp | *.h) line="// $tag" ;;
    *) line="# $tag" ;;
    esac
    if head -n 1 "$file" | grep -q '^#!'; then
        sed -i "1a $line" "$file"
    else
        sed -i "1i $line" "$file"
    fi
done < <(git ls-files -- '*.cpp' '*.h' '*.cmake' '*.sh' '*.py' '*CMakeLists.txt')
[ -z "$check" ] || [ "$missing" -eq 0 ]
