#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows download: the zip holds mezu.exe, mezu-report.exe and their text; the exes import
# nothing but DLLs every Windows has, so they run with no DLL beside them, and mezu.exe carries
# its icon, version record and manifest, and mezu-report.exe a version record and manifest of
# its own.
# Usage: win32_package_test.sh ZIP OBJDUMP
set -euo pipefail
zip=${1:?usage: win32_package_test.sh ZIP OBJDUMP}
objdump=${2:?usage: win32_package_test.sh ZIP OBJDUMP}
work=$(mktemp -d /tmp/mezu-windows-zip-XXXXXX)
trap 'rm -rf "$work"' EXIT

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
listed=$(cd "$work" && ls | sort | tr '\n' ' ')
if [ "$listed" != "README.txt mezu-report.exe mezu.exe " ]; then
    echo "FAIL - the zip holds: $listed"
    exit 1
fi
system_dlls='^(KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|COMCTL32|COMDLG32|OLE32|SHLWAPI|WINSPOOL\.DRV|msvcrt|api-ms-win-[a-z0-9-]+)(\.dll)?$'
for exe in mezu.exe mezu-report.exe; do
    imports=$("$objdump" -p "$work/$exe" | sed -n 's/^\s*DLL Name: //p')
    foreign=$(grep -viE "$system_dlls" <<<"$imports" || true)
    if [ -n "$foreign" ]; then
        echo "FAIL - $exe needs DLLs that Windows does not have: $foreign"
        exit 1
    fi
    echo "ok - $exe imports only $(tr '\n' ' ' <<<"$imports")"
done
# The resource directory's types: icon (3), group icon (14), version record (16), manifest (24);
# all of them Japanese (0x411).
resources=$("$objdump" -p "$work/mezu.exe" | sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
languages=$("$objdump" -p "$work/mezu.exe" | sed -n 's/^[0-9a-f]*       Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | sort -u | tr '\n' ' ')
if [ "$resources" != "3 e 10 18 " ] || [ "$languages" != "411 " ]; then
    echo "FAIL - mezu.exe's resources: types $resources, languages $languages"
    exit 1
fi
# The version record's texts, as UTF-16 in the exe.
if ! python3 - "$work/mezu.exe" <<'PYTHON'
import sys
data = open(sys.argv[1], "rb").read()
for text in ("041104B0", "OriginalFilename", "mezu.exe", "FileVersion", "1.00", "ディレクトリ容量調査ツール",
             "LegalCopyright", "MIT License"):
    if text.encode("utf-16-le") not in data:
        sys.exit(f"FAIL - the version record lacks {text}")
PYTHON
then
    exit 1
fi
# The icon's images: the 16-colour 32 and 16 px ones and the 48 and 256 px ones for high DPI.
images=$("$objdump" -p "$work/mezu.exe" | awk '/^[0-9a-f]*   Entry: ID:/ {type = $4} type == "0x000003," && /^[0-9a-f]*     Entry: ID:/ {n++} END {print n + 0}')
if [ "$images" -ne 4 ]; then
    echo "FAIL - mezu.exe's icon has $images images, not 4"
    exit 1
fi
echo "ok - mezu.exe carries its icon, Japanese version record and manifest"

# mezu-report.exe: a version record (16) and manifest (24) of its own, in English (0x409), with
# the command line's version.
resources=$("$objdump" -p "$work/mezu-report.exe" | sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
languages=$("$objdump" -p "$work/mezu-report.exe" | sed -n 's/^[0-9a-f]*       Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | sort -u | tr '\n' ' ')
if [ "$resources" != "10 18 " ] || [ "$languages" != "409 " ]; then
    echo "FAIL - mezu-report.exe's resources: types $resources, languages $languages"
    exit 1
fi
if ! python3 - "$work/mezu-report.exe" <<'PYTHON'
import sys
data = open(sys.argv[1], "rb").read()
for text in ("040904B0", "OriginalFilename", "mezu-report.exe", "ProductVersion", "1.10", "LegalCopyright",
             "MIT License"):
    if text.encode("utf-16-le") not in data:
        sys.exit(f"FAIL - mezu-report.exe's version record lacks {text}")
if b'requestedExecutionLevel level="asInvoker"' not in data:
    sys.exit("FAIL - mezu-report.exe's manifest does not ask to run as the user")
PYTHON
then
    exit 1
fi
echo "ok - mezu-report.exe carries its own version record and manifest"
