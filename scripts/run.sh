#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up mezu and runs it: the window where a display is available, otherwise a survey of
# DIR (default: the working directory) printed by mezu-report.
# Usage: scripts/run.sh [DIR]
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" >&2
cd "${1:-$here}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/bin/mezu"
fi
echo "No display here: surveying $(pwd) with mezu-report instead of opening the window." >&2
exec "$root/build/bin/mezu-report" survey .
