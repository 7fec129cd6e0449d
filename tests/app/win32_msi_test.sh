#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows installer under Wine, as a user without administrator rights runs it: msiexec /i
# puts the programs in the user's own program folder, the Start menu shortcut
# ディレクトリ容量調査ツール to mezu.exe, and the folder on the user's PATH, so that a new
# console finds mezu-report; msiexec /x takes all three away again and leaves the rest of PATH.
# Usage: win32_msi_test.sh MSI WINE
set -euo pipefail
msi=${1:?usage: win32_msi_test.sh MSI WINE}
wine=${2:?usage: win32_msi_test.sh MSI WINE}
failures=0
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}
windows_env() { "$wine" cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'; }
user_path() { "$wine" reg query 'HKCU\Environment' /v PATH </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *PATH *REG_[A-Z_]* *//p'; }

programs=$(winepath -u "$(windows_env LOCALAPPDATA)\\Programs\\mezu")
shortcut=$(winepath -u "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")/ディレクトリ容量調査ツール.lnk
# A PATH of the user's own, which the install must keep and the uninstall leave.
"$wine" reg add 'HKCU\Environment' /v PATH /t REG_EXPAND_SZ /d 'C:\mine' /f </dev/null >/dev/null 2>&1
wineserver --wait

"$wine" msiexec /i "$(winepath -w "$msi")" /qn </dev/null >/dev/null 2>&1 || fail "msiexec /i failed"
wineserver --wait
for file in mezu.exe mezu-report.exe README.txt; do
    [ -f "$programs/$file" ] || fail "installed, there is no $programs/$file"
done
[ -f "$shortcut" ] || fail "installed, there is no Start menu shortcut $shortcut"
path=$(user_path)
[[ "$path" == 'C:\mine;'*'\Programs\mezu'* ]] || fail "installed, the user's PATH is $path"
version=$({ "$wine" cmd /c mezu-report --version </dev/null 2>/dev/null || true; } | tr -d "\r" | head -n 1)
[ "$version" = "mezu-report 1.10" ] || fail "a new console does not find mezu-report on PATH: $version"

"$wine" msiexec /x "$(winepath -w "$msi")" /qn </dev/null >/dev/null 2>&1 || fail "msiexec /x failed"
wineserver --wait
[ ! -e "$programs" ] || fail "uninstalled, $programs stays: $(ls "$programs")"
[ ! -e "$shortcut" ] || fail "uninstalled, the shortcut stays"
# Wine leaves the separator it appended after; Windows takes it too.
path=$(user_path)
[ "${path%;}" = 'C:\mine' ] || fail "uninstalled, the user's PATH is $path"
"$wine" reg delete 'HKCU\Environment' /v PATH /f </dev/null >/dev/null 2>&1 || true

[ "$failures" -eq 0 ] || exit 1
echo "ok - the MSI installs mezu for the user, with its shortcut and PATH, and uninstalls it"
