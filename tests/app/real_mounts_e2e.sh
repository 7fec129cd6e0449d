#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mezu-report on real mounts, made in a private mount name space so that none outlives the
# test: a btrfs subvolume mounted with subvol= (its own st_dev, the device's number shared
# with the whole btrfs), a bind mount of a directory of it, a file system of 1 KiB blocks and
# a bind mount of it, and a tmpfs at /tmp. Each directory is surveyed, headed by its own file
# system's figures and rounded with its block size; nothing mounted below it is entered.
# Exits 77 (skipped) where the machine cannot: not root, no unshare, loop devices or btrfs.
# Usage: real_mounts_e2e.sh MEZU-REPORT
set -euo pipefail

skip() {
    echo "skipped: $*"
    exit 77
}

if [ "${1:-}" != --inside ]; then
    report=$(realpath "$1")
    [ "$(id -u)" -eq 0 ] || skip "mounting needs root"
    command -v unshare >/dev/null || skip "no unshare (util-linux)"
    command -v mkfs.btrfs >/dev/null || skip "no mkfs.btrfs (btrfs-progs)"
    [ -e /dev/loop-control ] || skip "no loop devices"
    grep -qw btrfs /proc/filesystems || modprobe btrfs 2>/dev/null || true
    grep -qw btrfs /proc/filesystems || skip "no btrfs in this kernel"
    work=$(mktemp -d /var/tmp/mezu-mounts-XXXXXX)
    trap 'rm -rf "$work"' EXIT
    status=0
    unshare --mount --propagation private bash "$0" --inside "$report" "$work" || status=$?
    exit "$status"
fi

report=$2
work=$3
# Leaving the name space would unmount all the same; unmounting here frees the loop devices
# before the images are removed.
cleanup() {
    for point in "$work/bind" "$work/smallbind" "$work/small" "$work/home2/user/mnt" "$work/home2" "$work/top"; do
        mountpoint -q "$point" && umount "$point"
    done
    return 0
}
trap cleanup EXIT

failures=0
check() {  # check WHAT ACTUAL EXPECTED
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: got '$2', expected '$3'"
        failures=$((failures + 1))
    fi
}

# The first record of a CSV survey, and the drive figures of its JSON form: letter, total MB,
# bytes per cluster.
survey_record() { "$report" --format csv survey "$1" | sed -n 2p; }
drive_figures() {
    "$report" --format json survey "$1" |
        sed -n 's/.*"drive": "\([A-Z]\):", "total_mb": \([0-9]*\),.*"bytes_per_cluster": \([0-9]*\)}.*/\1 \2 \3/p'
}
drive_count() { "$report" --format csv drives | wc -l; }

# A btrfs whose subvolume "home" is mounted on its own; a nested subvolume inside it, and a
# tmpfs mounted below the surveyed directory, are other file systems.
truncate -s 128M "$work/btrfs.img"
mkfs.btrfs -q "$work/btrfs.img" >/dev/null 2>&1 || skip "mkfs.btrfs failed"
mkdir -p "$work/top" "$work/home2" "$work/bind" "$work/small" "$work/smallbind"
mount -o loop "$work/btrfs.img" "$work/top" || skip "cannot mount a btrfs image on a loop device"
btrfs subvolume create "$work/top/home" >/dev/null
mkdir -p "$work/top/home/user/docs" "$work/top/home/user/mnt"
head -c 10000 /dev/zero >"$work/top/home/user/docs/a"
head -c 1 /dev/zero >"$work/top/home/user/b"
btrfs subvolume create "$work/top/home/user/nested" >/dev/null
head -c 50000 /dev/zero >"$work/top/home/user/nested/c"
umount "$work/top"
drives_before=$(drive_count)
mount -o loop,subvol=home "$work/btrfs.img" "$work/home2"
mount -t tmpfs -o size=1m tmpfs "$work/home2/user/mnt"
head -c 20000 /dev/zero >"$work/home2/user/mnt/d"
check "the subvolume's own letter" "$(drive_count)" "$((drives_before + 1))"
block=$(stat -f -c %S "$work/home2/user")
read -r letter total cluster <<<"$(drive_figures "$work/home2/user")"
check "subvolume: block size" "$cluster" "$block"
check "subvolume: the image's drive (128 MB), not /'s" "$((total <= 128))" 1
check "subvolume: a letter of the default table" "$([ "$letter" != C ] && [ "$letter" != A ] && echo ok)" ok
check "subvolume: survey" "$(survey_record "$work/home2/user" | cut -d, -f1-3)" \
    "$letter:\\user,$work/home2/user,$((3 * block + block))"

# A bind mount of a directory of a file system that has a letter gets none of its own, and is
# surveyed under a letter for the run.
mount --bind "$work/home2/user/docs" "$work/bind"
check "bind mount: no letter of its own" "$(drive_count)" "$((drives_before + 1))"
read -r letter total cluster <<<"$(drive_figures "$work/bind")"
check "bind mount: the subvolume's figures" "$letter $((total <= 128)) $cluster" "A 1 $block"
check "bind mount: survey" "$(survey_record "$work/bind" | cut -d, -f1-3)" "A:\\,$work/bind,$((3 * block))"

# 1 KiB blocks: a directory of that file system, and a bind mount of it, round with them.
if command -v mkfs.ext4 >/dev/null; then
    truncate -s 8M "$work/small.img"
    mkfs.ext4 -q -b 1024 "$work/small.img"
    mount -o loop "$work/small.img" "$work/small"
    mkdir "$work/small/dir"
    head -c 1 /dev/zero >"$work/small/dir/f"
    mount --bind "$work/small/dir" "$work/smallbind"
    for directory in "$work/small/dir" "$work/smallbind"; do
        read -r letter total cluster <<<"$(drive_figures "$directory")"
        check "$directory: 1 KiB blocks" "$cluster" 1024
        check "$directory: one block" "$(survey_record "$directory" | cut -d, -f3)" 1024
    done
else
    echo "no mkfs.ext4: the 1 KiB block part is left out"
fi

# A tmpfs at /tmp has a letter of the default table. It hides what /tmp held, perhaps the
# program itself.
cp "$report" "$work/mezu-report"
report=$work/mezu-report
mount -t tmpfs -o size=16m tmpfs /tmp
mkdir /tmp/x
head -c 1 /dev/zero >/tmp/x/f
read -r letter total cluster <<<"$(drive_figures /tmp/x)"
check "/tmp: a letter of the default table, its own figures" \
    "$([ "$letter" != C ] && [ "$letter" != A ] && echo ok) $total" "ok 16"
check "/tmp: survey" "$(survey_record /tmp/x | cut -d, -f2-3)" "/tmp/x,$(stat -f -c %S /tmp)"

[ "$failures" -eq 0 ] || exit 1
echo "real mounts: all surveyed"
