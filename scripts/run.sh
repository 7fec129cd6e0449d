#!/usr/bin/env bash
# Sets up mezu and surveys a directory: scripts/run.sh [DIR] (default: the working directory).
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" >&2
cd "$here"
exec "$root/build/bin/mezu-report" survey "${1:-.}"
