#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Windows installer from mezu.wxs with wixl, then gives it what wixl cannot write:
# the database in UTF-8 (code page 65001) and the shortcut's Japanese name and comment, the
# Environment table that puts the install folder on the user's PATH at install and takes
# it off again at uninstall ("=-": set, removed with the component; "[~];": appended to what
# PATH holds), and the two actions that carry it out.
# Usage: make_msi.sh OUTPUT.msi VERSION BIN-DIR
set -euo pipefail
output=${1:?usage: make_msi.sh OUTPUT.msi VERSION BIN-DIR}
version=${2:?usage: make_msi.sh OUTPUT.msi VERSION BIN-DIR}
bin=${3:?usage: make_msi.sh OUTPUT.msi VERSION BIN-DIR}
here=$(cd "$(dirname "$0")" && pwd)
stage=$(mktemp -d /tmp/mezu-msi-XXXXXX)
trap 'rm -rf "$stage"' EXIT

# wixl looks for each file it packs in the folder it runs in.
cp "$bin/mezu.exe" "$bin/mezu-report.exe" "$here/README.txt" "$here/mezu.ico" "$stage"
(cd "$stage" && wixl --arch x64 --define Version="$version" --output mezu.msi "$here/mezu.wxs")
printf '\r\n\r\n65001\t_ForceCodepage\r\n' >"$stage/_ForceCodepage.idt"
msibuild "$stage/mezu.msi" -i "$stage/_ForceCodepage.idt" \
    -q "UPDATE \`Shortcut\` SET \`Name\` = 'mezu|ディレクトリ容量調査ツール', \`Description\` = 'ディレクトリ配下全てのファイル容量を算出します' WHERE \`Shortcut\` = 'mezu.lnk'" \
    -q 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)' \
    -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('UserPath', '=-PATH', '[~];[INSTALLDIR]', 'Programs')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
mv "$stage/mezu.msi" "$output"
