#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Builds a benchmark tree for mezu: many small files in nested directories, some hidden
entries and symbolic links; or, with --wide, one directory with many small subdirectories.

Sizes come from a fixed seed, so a tree of the same shape is the same tree every time.
A file named .complete, naming the shape, is written last; a tree without it, or built to
another shape, is built again."""
import argparse
import os
import random
import shutil


def build_nested(root, files, directories):
    rng = random.Random(1998)
    top = max(1, round(directories ** (1 / 3)))
    middle = max(1, round((directories / top) ** 0.5))
    leaves = max(1, directories // (top * middle))
    leaf_dirs = []
    for a in range(top):
        for b in range(middle):
            for c in range(leaves):
                leaf_dirs.append(os.path.join(root, f"top{a:03d}", f"mid{b:03d}", f"leaf{c:04d}"))
    for path in leaf_dirs:
        os.makedirs(path, exist_ok=True)
    for i in range(files):
        directory = leaf_dirs[i % len(leaf_dirs)]
        name = f".hidden{i}" if i % 50 == 0 else f"file{i}.dat"
        with open(os.path.join(directory, name), "wb") as f:
            f.truncate(rng.randrange(0, 40000))
    for i, directory in enumerate(leaf_dirs[::97]):
        os.symlink("..", os.path.join(directory, "up-link"))
        os.makedirs(os.path.join(directory, ".cache"), exist_ok=True)
    return len(leaf_dirs)


def build_wide(root, directories, files_each):
    rng = random.Random(2026)
    for d in range(directories):
        path = os.path.join(root, f"sub{d:05d}")
        os.makedirs(path)
        for f in range(files_each):
            with open(os.path.join(path, f"f{f}"), "wb") as out:
                out.truncate(rng.randrange(0, 10000))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--files", type=int, default=200000)
    parser.add_argument("--dirs", type=int, default=20000)
    parser.add_argument("--wide", action="store_true", help="one directory with --dirs subdirectories")
    parser.add_argument("--empty", action="store_true", help="with --wide: subdirectories without files")
    args = parser.parse_args()
    shape = f"{'wide' if args.wide else 'nested'} files={args.files} dirs={args.dirs}"
    shape += " empty\n" if args.empty else "\n"
    marker = os.path.join(args.root, ".complete")
    if os.path.exists(marker):
        with open(marker) as f:
            if f.read() == shape:
                return
    shutil.rmtree(args.root, ignore_errors=True)
    os.makedirs(args.root)
    if args.wide:
        build_wide(args.root, args.dirs, 0 if args.empty else 3)
    else:
        build_nested(args.root, args.files, args.dirs)
    with open(marker, "w") as f:
        f.write(shape)


if __name__ == "__main__":
    main()
