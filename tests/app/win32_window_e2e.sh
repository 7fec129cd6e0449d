#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the window mezu.exe under Wine on a virtual X display: the probe starts it in a generated
# tree, checks its controls, presses ディレクトリ容量調査 and reads List1 back from the real
# control; the lines must be the result lines mezu-report.exe prints for the same tree, in the
# same order, and the report saved through the window's Save dialog must be the one
# mezu-report.exe -o saves (but for the date and the free space, which may change).
# Usage: win32_window_e2e.sh MEZU.EXE MEZU-REPORT.EXE PROBE.EXE
set -euo pipefail
export LC_ALL=C.UTF-8 WINEDEBUG=-all
window=${1:?usage: win32_window_e2e.sh mezu.exe mezu-report.exe probe.exe}
report=${2:?usage: win32_window_e2e.sh mezu.exe mezu-report.exe probe.exe}
probe=${3:?usage: win32_window_e2e.sh mezu.exe mezu-report.exe probe.exe}
work=$(mktemp -d /tmp/mezu-window-e2e-XXXXXX)
# Wine's desktop process belongs to the display that goes with this test.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
windowsPath() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

tree="$work/tree"
for d in $(seq 1 6); do
    mkdir -p "$tree/dir$d/sub" "$tree/dir$d/.hidden"
    for f in $(seq 1 $((d * 3))); do
        truncate -s $(((d * 7919 + f * 4093) % 30000)) "$tree/dir$d/sub/file$f"
    done
    truncate -s 4097 "$tree/dir$d/.hidden/x"
done
mkdir -p "$tree/日本語のフォルダ"
truncate -s 5000 "$tree/日本語のフォルダ/ファイル"

wineserver -k 2>/dev/null || true
xvfb-run -a -s '-screen 0 800x600x24' wine "$probe" "$window" "$(windowsPath "$tree")" \
    "$(windowsPath "$work/SAVED.TXT")" </dev/null |
    tr -d '\r' >"$work/probe.txt" || true
grep -v '^List1: ' "$work/probe.txt"
wineserver -k 2>/dev/null || true

# At 144 dpi (Windows's 150 %) the window keeps its layout in twips, and so its proportions.
setDpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1; wineserver -w; }
setDpi 144
xvfb-run -a -s '-screen 0 1024x768x24' wine "$probe" --layout "$window" "$(windowsPath "$tree")" dir1 </dev/null |
    tr -d '\r' >"$work/probe144.txt" || true
setDpi 96
cat "$work/probe144.txt"
cat "$work/probe144.txt" >>"$work/probe.txt"
if ! grep -q '^ok - every control where its twips put it at 144 dpi' "$work/probe144.txt"; then
    echo "FAIL - the window does not follow the display's 144 dpi"
    exit 1
fi

sed -n 's/^List1: //p' "$work/probe.txt" >"$work/window.txt"
wine "$report" survey "$(windowsPath "$tree")" </dev/null | tr -d '\r' | grep 'MB - ' >"$work/report.txt"
if [ -s "$work/window.txt" ] && diff "$work/report.txt" "$work/window.txt"; then
    echo "ok - List1 holds mezu-report.exe's $(wc -l <"$work/window.txt") result lines, in its order"
else
    echo "FAIL - List1 differs from mezu-report.exe's result lines"
    exit 1
fi
wine "$report" -o "$(windowsPath "$work/EXPECTED.TXT")" survey "$(windowsPath "$tree")" </dev/null
if [ -s "$work/SAVED.TXT" ] && diff <(sed '5d;7d' "$work/EXPECTED.TXT") <(sed '5d;7d' "$work/SAVED.TXT"); then
    echo "ok - the window saves the report mezu-report.exe -o saves"
else
    echo "FAIL - the saved report differs"
    exit 1
fi
! grep -q '^FAIL' "$work/probe.txt"
