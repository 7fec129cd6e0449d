#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the source release mezu-VERSION.tar.gz of a commit (default: HEAD) into the working
# directory: the files git tracks, so no build folder, Wine prefix or other local file gets
# in; the same bytes for the same commit (file times are the commit's, gzip without a name).
# Usage: scripts/source_tarball.sh [COMMIT]   e.g. scripts/source_tarball.sh v1.10
set -euo pipefail
commit=${1:-HEAD}
repository=$(cd "$(dirname "$0")/.." && pwd)
version=$(git -C "$repository" show "$commit:CMakeLists.txt" |
    sed -n 's/^project(mezu VERSION \([0-9.]*\).*/\1/p')
if [ -z "$version" ]; then
    echo "source_tarball.sh: no project version in $commit:CMakeLists.txt" >&2
    exit 1
fi
output=$PWD/mezu-$version.tar.gz
git -C "$repository" archive --format=tar --prefix="mezu-$version/" "$commit" | gzip -9 -n >"$output"
echo "$output"
