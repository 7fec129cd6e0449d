#!/usr/bin/env bash
# The Windows download: the zip holds mezu-report.exe and its text, and the exe imports
# nothing but DLLs every Windows has, so it runs with no DLL beside it.
# Usage: win32_package_test.sh ZIP OBJDUMP
set -euo pipefail
zip=${1:?usage: win32_package_test.sh ZIP OBJDUMP}
objdump=${2:?usage: win32_package_test.sh ZIP OBJDUMP}
work=$(mktemp -d /tmp/mezu-windows-zip-XXXXXX)
trap 'rm -rf "$work"' EXIT

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
listed=$(cd "$work" && ls | sort | tr '\n' ' ')
if [ "$listed" != "README.txt mezu-report.exe " ]; then
    echo "FAIL - the zip holds: $listed"
    exit 1
fi
system_dlls='^(KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|COMCTL32|COMDLG32|OLE32|SHLWAPI|WINSPOOL\.DRV|msvcrt|api-ms-win-[a-z0-9-]+)(\.dll)?$'
imports=$("$objdump" -p "$work/mezu-report.exe" | sed -n 's/^\s*DLL Name: //p')
foreign=$(grep -viE "$system_dlls" <<<"$imports" || true)
if [ -n "$foreign" ]; then
    echo "FAIL - mezu-report.exe needs DLLs that Windows does not have: $foreign"
    exit 1
fi
echo "ok - the zip holds the exe and its text; the exe imports only $(tr '\n' ' ' <<<"$imports")"
