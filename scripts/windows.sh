#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds mezu.exe and mezu-report.exe for 64-bit Windows with MinGW-w64 into
# build-windows/ and, with --tests, builds and runs the Windows test suites under Wine. Installs
# the Debian packages it needs (only those missing). Wine gets its own prefix inside
# build-windows/, is kept quiet and never waits for a display or for input.
# Usage: scripts/windows.sh [--tests]
set -euo pipefail
cd "$(dirname "$0")/.."

run_tests=""
build_tests=OFF
for option in "$@"; do
    case "$option" in
    --tests)
        run_tests=yes
        build_tests=ON
        ;;
    *)
        echo "windows.sh: unknown option $option" >&2
        exit 2
        ;;
    esac
done

# wixl and msibuild (msitools) make the installer beside the zip.
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wixl msitools)
# The 64-bit Wine alone: Wine's 32-bit half (wine32) is not needed by 64-bit programs.
# The window's test runs it on a virtual X display, in the IPA fonts that stand in for the
# Japanese faces of Windows; the zip's test reads it with python3, and the console test runs
# mezu-report.exe on a terminal made by script (bsdutils).
[ -z "$run_tests" ] || packages+=(wine wine64 libgtest-dev coreutils findutils xvfb xauth
                                  fonts-ipafont-gothic fonts-ipafont-mincho python3 bsdutils)
scripts/install_packages.sh "${packages[@]}"

build=build-windows
mkdir -p "$build"
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY

# Optimised without debug information: a small exe to hand out, and a quicker build.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DMEZU_BUILD_QT_WINDOW=OFF \
    -DBUILD_TESTING="$build_tests" ${MEZU_WERROR:+-DMEZU_WERROR="$MEZU_WERROR"} \
    ${MEZU_LINUX_REPORT:+-DMEZU_LINUX_REPORT="$MEZU_LINUX_REPORT"} >/dev/null
if [ -n "$run_tests" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Made once, up front, so that no test waits the time it takes.
    echo "Creating the Wine prefix in $WINEPREFIX"
    wineboot --init </dev/null >/dev/null 2>&1 || true
    # Wine draws title bars and menus in Tahoma, which has no Japanese: a Gothic that has
    # stands in for it, as Windows links its own UI face to one.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d IPAPGothic /f </dev/null >/dev/null 2>&1 || true
    wineserver --wait
fi
cmake --build "$build" -j 2
echo "Built $build/bin/mezu.exe, $build/bin/mezu-report.exe and their zip and installer in $build"
if [ -n "$run_tests" ]; then
    ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2
fi
