#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian packages as a packager and a user get them: mezu-report and mezu made by CPack from
# the build, checked with lintian, unpacked into a temporary root and checked for what the
# desktop entry, the metadata, the manual and the shell completion promise, made twice to the
# same bytes, and (as root) installed and removed on this system.
# Usage: package_test.sh BUILD-DIR
set -euo pipefail
build=$(cd "${1:?usage: package_test.sh BUILD-DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps groff lintian readelf; do
    if ! command -v "$tool" >/dev/null; then
        echo "skip - $tool is not installed (bash scripts/setup.sh --tests installs it)"
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
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

make_packages() {
    mkdir -p "$1"
    (cd "$1" && SOURCE_DATE_EPOCH=1700000000 cpack --config "$build/CPackConfig.cmake" -B "$1" >cpack.log 2>&1) || {
        cat "$1/cpack.log"
        fail "cpack could not make the packages"
        exit 1
    }
}
make_packages "$work/first"
report_deb=$work/first/mezu-report_${version}_amd64.deb
window_deb=$work/first/mezu_${version}_amd64.deb
for deb in "$report_deb" "$window_deb"; do
    [ -f "$deb" ] || { fail "no $(basename "$deb"), cpack made: $(ls "$work/first")"; exit 1; }
done

# Reproducible: made again a second later, the same bytes.
sleep 1
make_packages "$work/second"
for deb in "$report_deb" "$window_deb"; do
    cmp -s "$deb" "$work/second/$(basename "$deb")" || fail "$(basename "$deb") differs when made again"
done

lintian_tags=$(lintian --fail-on error,warning --tag-display-limit 0 "$report_deb" "$window_deb" 2>&1) ||
    fail "lintian: $lintian_tags"

# The command line's package needs no toolkit: only the C and C++ runtimes (and libmount, which
# every Debian system has).
depends=$(dpkg-deb -f "$report_deb" Depends)
extra=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -vxE 'libc6|libstdc\+\+6|libgcc-s1|libmount1' || true)
[ -z "$extra" ] || fail "mezu-report depends on more than the runtimes: $depends"
depends=$(dpkg-deb -f "$window_deb" Depends)
for needed in "mezu-report (= $version)" libqt6widgets6 libcups2; do
    grep -qF "$needed" <<<"$depends" || fail "mezu's Depends does not name $needed: $depends"
done
grep -q qt6-translations-l10n <<<"$(dpkg-deb -f "$window_deb" Recommends)" ||
    fail "mezu does not recommend Qt's translations"
for deb in "$report_deb" "$window_deb"; do
    name=$(basename "$deb")
    grep -q '^[^<]* <[^@>]*@[^@>]*\.[a-z]*>$' <<<"$(dpkg-deb -f "$deb" Maintainer)" || fail "$name's Maintainer"
    description=$(dpkg-deb -f "$deb" Description)
    [ "$(wc -l <<<"$description")" -ge 3 ] || fail "$name's description is only: $description"
    # apt shows it as it stands: no line past 80 columns (a wide character takes two), no line
    # that is a list's ";" joint.
    python3 -c '
import sys, unicodedata
name, text = sys.argv[1], sys.argv[2]
for line in text.split("\n"):
    width = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
    if width > 80 or line.lstrip().startswith(";"):
        sys.exit(f"FAIL - {name}: description line of {width} columns: {line}")
' "$name" "$description" || failures=$((failures + 1))
done

root=$work/root
dpkg-deb -x "$report_deb" "$root"
dpkg-deb -x "$window_deb" "$root"
overlap=$(comm -12 <(dpkg-deb -c "$report_deb" | awk '!/^d/ {print $6}' | sort) \
    <(dpkg-deb -c "$window_deb" | awk '!/^d/ {print $6}' | sort))
[ -z "$overlap" ] || fail "both packages hold $overlap"

# Built with the distribution's hardening, stripped of symbols and of the compiler's notes.
for program in mezu-report mezu; do
    binary=$root/usr/bin/$program
    sections=$(readelf -S -W "$binary")
    for section in .symtab .comment .debug_info; do
        ! grep -qF " $section " <<<"$sections" || fail "$program keeps its $section section"
    done
    readelf -l -W "$binary" | grep -q GNU_RELRO || fail "$program has no read-only relocations"
    readelf -d -W "$binary" | grep -q 'FLAGS.*NOW' || fail "$program is not bound at start (-z now)"
    symbols=$(readelf --dyn-syms -W "$binary")
    grep -q __stack_chk_fail <<<"$symbols" || fail "$program has no stack protector"
    grep -qE '__[a-z]+_chk' <<<"$symbols" || fail "$program calls no fortified function"
done

for package in mezu-report mezu; do
    doc=$root/usr/share/doc/$package
    grep -q '^License: MIT' "$doc/copyright" 2>/dev/null || fail "$package has no MIT copyright file"
    zcat "$doc/changelog.gz" 2>/dev/null | head -n 1 | grep -qF "mezu ($version)" ||
        fail "$package's changelog does not start with version $version"
done

desktop=$root/usr/share/applications/io.github.mezu_authors.mezu.desktop
if [ ! -f "$desktop" ]; then
    fail "no desktop entry"
else
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$root/usr/bin/${exec_line%% *}" ] || fail "the desktop entry starts $exec_line, which is not in /usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    for size in 16 32 48 64 128; do
        png=$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png
        python3 -c 'import struct, sys; d = open(sys.argv[1], "rb").read(24); sys.exit(struct.unpack(">II", d[16:24]) != (int(sys.argv[2]),) * 2)' \
            "$png" "$size" 2>/dev/null || fail "no $size x $size icon named $icon"
    done
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
    for line in '^Name=Directory Size Survey$' '^Name\[ja\]=ディレクトリ容量調査ツール$' '^GenericName=' \
        '^Keywords\[ja\]=' '^MimeType=inode/directory;$'; do
        grep -q "$line" "$desktop" || fail "the desktop entry has no line $line"
    done
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate"
    fi
    metainfo=$root/usr/share/metainfo/io.github.mezu_authors.mezu.metainfo.xml
    if [ ! -f "$metainfo" ]; then
        fail "no AppStream metadata"
    elif command -v appstreamcli >/dev/null; then
        grep -qF "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
            fail "the metadata does not name the desktop entry"
        grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"
        appstreamcli validate --pedantic --no-net --explain "$metainfo" || fail "appstreamcli validate"
    fi
fi

"$root/usr/bin/mezu-report" --version | grep -q '^mezu-report ' || fail "the packaged mezu-report does not run"

# The manual pages, in English and in Japanese, each in its program's package, render without a
# warning (the Japanese ones with groff's Japanese line breaking, which man loads for them), and
# mezu-report's pages name every command and option of its --help.
help_words=$("$root/usr/bin/mezu-report" --help | grep -oE '(^| )(--?[a-z][a-z-]*|survey|drives|all-drives)' | sort -u)
for page_deb in "mezu:$window_deb" "mezu-report:$report_deb"; do
    page=${page_deb%%:*}
    deb=${page_deb#*:}
    listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for dir in man1 ja/man1; do
        file=usr/share/man/$dir/$page.1.gz
        name="$page(1) in $dir"
        macros="" exit_status="EXIT STATUS"
        if [ "$dir" = ja/man1 ]; then
            macros=-mja exit_status=終了ステータス
        fi
        grep -qx "\./$file" <<<"$listing" || { fail "$(basename "$deb") holds no $file"; continue; }
        warnings=$(zcat "$root/$file" | groff -k $macros -man -Tutf8 -ww -z 2>&1) || true
        [ -z "$warnings" ] || fail "$name renders with warnings: $warnings"
        if command -v mandoc >/dev/null; then
            warnings=$(zcat "$root/$file" | mandoc -Tlint -W warning 2>&1) || fail "mandoc -Tlint: $name: $warnings"
        fi
        [ "$page" = mezu-report ] || continue
        manual=$(zcat "$root/$file" | groff -k $macros -man -Tutf8 2>/dev/null | sed 's/.\x08//g')
        for word in $help_words; do
            grep -qF -- "$word" <<<"$manual" || fail "$name does not mention $word from --help"
        done
        grep -q "$exit_status" <<<"$manual" || fail "$name has no $exit_status"
    done
done

# The completion itself is tested by tests/app/completion_test.sh.
cmp -s "$root/usr/share/bash-completion/completions/mezu-report" "$source_dir/data/completion/mezu-report" ||
    fail "no bash completion for mezu-report"

# The source release: what git tracks, nothing of a build or of Wine; every source under the
# licence's SPDX line.
if git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
    bash "$source_dir/scripts/spdx_headers.sh" --check || fail "sources without an SPDX-License-Identifier line"
    tarball=$(cd "$work" && bash "$source_dir/scripts/source_tarball.sh")
    listing=$(tar tzf "$tarball")
    for file in LICENSE CMakeLists.txt data/debian/copyright; do
        grep -qx "mezu-$version/$file" <<<"$listing" || fail "the source tarball lacks $file"
    done
    stray=$(grep -E '/(build[^/]*|wineprefix|Testing)/' <<<"$listing" | head -n 3 || true)
    [ -z "$stray" ] || fail "the source tarball holds $stray"
fi

# Installed on this system and removed again: as root only, and not over a mezu installed here.
if [ "$(id -u)" -ne 0 ]; then
    echo "note - not root; the packages were not installed"
elif dpkg-query -W -f='${Status}\n' mezu mezu-report 2>/dev/null | grep -q 'ok installed'; then
    echo "note - mezu is installed on this system; the packages were not installed over it"
else
    if ! output=$(dpkg -i "$report_deb" "$window_deb" 2>&1); then
        fail "dpkg -i: $output"
    else
        for file in /usr/bin/mezu /usr/bin/mezu-report /usr/share/doc/mezu-report/copyright; do
            [ -e "$file" ] || fail "installed, $file is missing"
        done
        /usr/bin/mezu-report --drive "C=$work" survey 'C:\' >/dev/null || fail "the installed mezu-report does not survey"
        /usr/bin/mezu --version >/dev/null || fail "the installed mezu does not answer --version"
        if command -v man >/dev/null; then
            for page in mezu mezu-report; do
                MANPAGER=cat man -L ja "$page" 2>/dev/null | grep -q 終了ステータス ||
                    fail "man -L ja $page shows no Japanese page"
            done
        fi
    fi
    output=$(dpkg --purge mezu mezu-report 2>&1) || fail "dpkg --purge: $output"
    for file in /usr/bin/mezu /usr/bin/mezu-report /usr/share/doc/mezu /usr/share/doc/mezu-report \
        /usr/share/applications/io.github.mezu_authors.mezu.desktop; do
        [ ! -e "$file" ] || fail "removed, $file stays"
    done
fi

[ "$failures" -eq 0 ] || exit 1
echo "ok - $(basename "$report_deb") and $(basename "$window_deb") are lintian clean, reproducible, install and remove"
