#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package as a user gets it: made by CPack from the build, unpacked into a temporary
# root, and checked for what the desktop entry, the manual and the shell completion promise.
# Usage: package_test.sh BUILD-DIR
set -euo pipefail
build=$(cd "${1:?usage: package_test.sh BUILD-DIR}" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps groff; do
    if ! command -v "$tool" >/dev/null; then
        echo "skip - $tool is not installed"
        exit 77
    fi
done
work=$(mktemp -d /tmp/mezu-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >cpack.log 2>&1) || {
    cat "$work/cpack.log"
    fail "cpack could not make the package"
    exit 1
}
deb=$(ls "$work"/mezu_*_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libcups2 libc6; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library: $depends"
done

desktop=$root/usr/share/applications/mezu.desktop
[ -f "$desktop" ] || fail "no desktop entry"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root/usr/bin/${exec_line%% *}" ] || fail "the desktop entry starts $exec_line, which is not in /usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16x16 32x32 48x48; do
    [ -f "$root/usr/share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon named $icon"
done
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
grep -q '^Name=ディレクトリ容量調査ツール$' "$desktop" || fail "the desktop entry's name"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi

"$root/usr/bin/mezu-report" --version | grep -q '^mezu-report ' || fail "the packaged mezu-report does not run"

# The manual pages render without a warning, and every command and option of --help is in it.
for page in mezu mezu-report; do
    file=$root/usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || { fail "no manual page $page(1)"; continue; }
    warnings=$(zcat "$file" | groff -k -man -Tutf8 -ww -z 2>&1) || true
    [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
done
manual=$(zcat "$root/usr/share/man/man1/mezu-report.1.gz" | groff -k -man -Tutf8 2>/dev/null | sed 's/.\x08//g')
for word in $("$root/usr/bin/mezu-report" --help | grep -oE '(^| )(--?[a-z][a-z-]*|survey|drives|all-drives)' | sort -u); do
    grep -qF -- "$word" <<<"$manual" || fail "mezu-report(1) does not mention $word from --help"
done
grep -q "EXIT STATUS" <<<"$manual" || fail "mezu-report(1) has no exit status"

completion=$root/usr/share/bash-completion/completions/mezu-report
if [ ! -f "$completion" ]; then
    fail "no bash completion"
elif [ -f /usr/share/bash-completion/bash_completion ]; then
    completed=$(bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        complete_words() {
            COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
            _mezu_report mezu-report "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            echo "${COMPREPLY[*]}"
        }
        complete_words mezu-report su
        complete_words mezu-report --thr
        cd "$2" && mkdir -p sub/deeper && complete_words mezu-report survey s
    ' _ "$completion" "$work")
    [ "$completed" = $'survey\n--threads\nsub' ] || fail "completion gave: $completed"
else
    echo "note - bash-completion is not installed; the completion was not run"
fi

[ "$failures" -eq 0 ] || exit 1
echo "ok - $(basename "$deb") holds the programs, desktop entry, icons, manual pages and completion"
