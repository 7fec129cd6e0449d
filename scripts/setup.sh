#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages mezu needs (only those missing) and builds it in build/, with
# Debian's hardening flags (dpkg-buildflags), as the packages made from it are built.
# Usage: scripts/setup.sh [--tests] [--bench]
#   --tests  also builds the test suites (a build that has them keeps them)
#   --bench  also installs what bench/run.sh compares mezu with, and the share of its heavy
#            cases (sshfs, openssh-sftp-server); Wine only comes with bench/run.sh --windows
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-translations-l10n libcups2-dev libmount-dev
    fonts-ipafont-mincho fonts-ipafont-gothic dpkg-dev)
build_tests=""
[ -f build/CMakeCache.txt ] || build_tests=OFF
for option in "$@"; do
    case "$option" in
    --tests)
        packages+=(libgtest-dev util-linux findutils coreutils cups poppler-utils python3 ncdu time
            groff-base mandoc bash-completion desktop-file-utils lintian appstream btrfs-progs e2fsprogs)
        build_tests=ON
        ;;
    --bench) packages+=(python3 ncdu gdu time coreutils sshfs openssh-sftp-server) ;;
    *)
        echo "setup.sh: unknown option $option" >&2
        exit 2
        ;;
    esac
done

scripts/install_packages.sh "${packages[@]}"

# Stack protector, _FORTIFY_SOURCE, read-only relocations bound at start (-z relro -z now).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flag() { dpkg-buildflags --get "$1"; }
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$(flag CXXFLAGS) $(flag CPPFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" \
    ${build_tests:+-DBUILD_TESTING="$build_tests"} ${MEZU_WERROR:+-DMEZU_WERROR="$MEZU_WERROR"} >/dev/null
cmake --build build -j 2
