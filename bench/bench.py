#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times mezu against du, ncdu and (when given) the bare walker limit on generated trees, warm
cache, and prints the table; --share, --cold, --big and --windows (or --all) run the heavy cases
of heavy.py instead (with --warm, as well).

Every command runs --runs times, in turns, so that a slow moment of the machine falls on all
of them alike; the tables show medians, the ratio to du or to limit, and peak memory measured
by /usr/bin/time."""
import argparse
import os
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the sources for heavy.py and measure.py
import heavy  # noqa: E402
from measure import MIB, Contender, Target, count_entries, print_targets, run_quietly  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
MIB = 1024 * 1024


def build_tree(root, wide, files, dirs, empty=False):
    command = [sys.executable, os.path.join(HERE, "make_tree.py"), root, "--files", str(files),
               "--dirs", str(dirs)]
    if wide:
        command.append("--wide")
    if empty:
        command.append("--empty")
    subprocess.run(command, check=True)


def build_chain(root, name, levels):
    """A single chain of `levels` directories named `name`, a file of 100 bytes at the bottom;
    built relative to descriptors, so the path may be far longer than PATH_MAX."""
    done = os.path.join(root, ".complete")
    if os.path.exists(done):
        return
    os.makedirs(root, exist_ok=True)
    fd = os.open(root, os.O_RDONLY)
    for _ in range(levels):
        try:
            os.mkdir(name, dir_fd=fd)
        except FileExistsError:
            pass
        child = os.open(name, os.O_RDONLY, dir_fd=fd)
        os.close(fd)
        fd = child
    data = os.open("f", os.O_CREAT | os.O_WRONLY | os.O_TRUNC, 0o644, dir_fd=fd)
    os.write(data, b"x" * 100)
    os.close(data)
    os.close(fd)
    open(done, "w").close()


def bench_tree(label, root, bin_dir, runs, with_window, with_others=True, entries=None, limit=None):
    if entries is None:
        entries = count_entries(root)
    offscreen = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    mezu = Contender("mezu-report survey", [os.path.join(bin_dir, "mezu-report"), "survey", root])
    contenders = [mezu]
    if with_others:
        contenders.append(Contender("mezu-report --threads 1 survey",
                                    [os.path.join(bin_dir, "mezu-report"), "--threads", "1", "survey", root]))
    contenders.append(Contender("du -d 1 -B1", ["du", "-d", "1", "-B1", root]))
    yardstick = None
    if limit is not None:
        yardstick = Contender("limit -t 2", [limit, "-t", "2", root])
        contenders.append(yardstick)
    if with_others:
        contenders.append(Contender("ncdu -0 -o /dev/null", ["ncdu", "-0", "-o", "/dev/null", root]))
    window = None
    if with_window:
        window = Contender("mezu window, survey click", [os.path.join(bin_dir, "mezu-window-bench"), root],
                           env=offscreen, reports_own_time=True)
        contenders.insert(2, window)

    for contender in contenders:  # warms the cache and every program's first start
        run_quietly(contender.command, contender.env)
    for _ in range(runs):
        for contender in contenders:
            contender.run()
    for contender in contenders:
        if not contender.reports_own_time:
            contender.measure_peak()

    du = next(c for c in contenders if c.name.startswith("du "))
    print(f"\n{label}: {root}, {entries} entries, median of {runs} runs, warm cache")
    limit_column = f" {'to limit':>8}" if yardstick else ""
    print(f"  {'command':<32} {'median s':>9} {'to du':>7}{limit_column} {'peak MiB':>9}")
    for contender in contenders:
        peak = f"{contender.peak() / MIB:9.1f}" if contender.peak() is not None else f"{'-':>9}"
        to_limit = f" {contender.median() / yardstick.median():8.2f}" if yardstick else ""
        print(f"  {contender.name:<32} {contender.median():9.3f} {contender.median() / du.median():7.2f}"
              f"{to_limit} {peak}")
    budget = 16 * MIB + 100 * entries
    results = {
        "ratio": mezu.median() / du.median(),
        "memory": mezu.peak(),
        "budget": budget,
    }
    if window is not None:
        results["window"] = window.median() / mezu.median()
    if yardstick is not None:
        results["limit"] = mezu.median() / yardstick.median()
    return results


def bench_opening(root, subdirectories, bin_dir, runs):
    """Seconds the window takes to open a directory of many subdirectories in Dir1 and draw it."""
    opening = Contender("mezu window, open in Dir1", [os.path.join(bin_dir, "mezu-window-bench"), "--open", root],
                        env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), reports_own_time=True)
    run_quietly(opening.command, opening.env)
    for _ in range(runs):
        opening.run()
    print(f"\nOpening a directory of {subdirectories} subdirectories in the window: {root}, median of {runs} runs")
    print(f"  {opening.name:<32} {opening.median():9.3f}")
    return opening.median()


def warm_cases(args):
    """The trees of bench/make_tree.py and the chains, warm cache: their tables and targets."""
    with_window = os.path.exists(os.path.join(args.bin, "mezu-window-bench"))
    nested = os.path.join(args.work, "nested")
    wide = os.path.join(args.work, "wide")
    print(f"Building or reusing the trees in {args.work} ...", file=sys.stderr)
    build_tree(nested, False, args.files, args.dirs)
    build_tree(wide, True, 0, args.wide_dirs)
    crowded = os.path.join(args.work, "crowded")
    if with_window:
        build_tree(crowded, True, 0, args.open_dirs, empty=True)
    chain = os.path.join(args.work, f"chain-{args.chain_levels}")
    long_chain = os.path.join(args.work, f"chain-{args.long_chain_levels}x255")
    build_chain(chain, "d", args.chain_levels)
    build_chain(long_chain, "n" * 255, args.long_chain_levels)

    deep = bench_tree(f"Nested tree ({args.files} files in {args.dirs} directories)", nested,
                      args.bin, args.runs, with_window, limit=args.limit)
    flat = bench_tree(f"Wide directory ({args.wide_dirs} subdirectories of 3 files)", wide, args.bin,
                      args.runs, with_window, limit=args.limit)
    opening = bench_opening(crowded, args.open_dirs, args.bin, args.runs) if with_window else None
    # A chain holds its directories, the file at the bottom and the marker of a finished build.
    deepest = bench_tree(f"Chain of {args.chain_levels} directories", chain, args.bin, args.runs,
                         False, with_others=False, entries=args.chain_levels + 2)
    longest = bench_tree(f"Chain of {args.long_chain_levels} directories with 255-byte names", long_chain,
                         args.bin, args.runs, False, with_others=False, entries=args.long_chain_levels + 2)

    targets = [
        Target("nested tree: mezu-report / du", deep["ratio"], 0.75),
        Target("wide directory: mezu-report / du", flat["ratio"], 1.0),
    ]
    for label, result in (("nested tree", deep), ("wide directory", flat)):
        if "limit" in result:
            targets.append(Target(f"{label}: mezu-report / limit -t 2", result["limit"], 1.15))
        targets.append(Target(f"{label}: peak memory", result["memory"] / MIB, result["budget"] / MIB, " MiB"))
        if "window" in result:
            targets.append(Target(f"{label}: window / mezu-report", result["window"], 1.3))
    if opening is not None:
        targets.append(Target(f"window: open {args.open_dirs} subdirectories", opening, 1.0, " s"))
    targets += [
        Target("directory chain: mezu-report / du", deepest["ratio"], 2.0),
        Target("directory chain: peak memory", deepest["memory"] / MIB, 64, " MiB"),
        Target("chain of long names: peak memory", longest["memory"] / MIB, 64, " MiB"),
    ]
    return targets


def leave_on_signal(number, _frame):
    """SIGTERM and SIGHUP end the run as an error does, so that the share is unmounted."""
    print(f"bench.py: stopped by signal {number}", file=sys.stderr)
    sys.exit(128 + number)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bin", required=True, help="the directory holding mezu-report")
    parser.add_argument("--work", default="/tmp/mezu-bench", help="where the trees are built")
    parser.add_argument("--files", type=int, default=200000)
    parser.add_argument("--dirs", type=int, default=20000)
    parser.add_argument("--wide-dirs", type=int, default=20000)
    parser.add_argument("--open-dirs", type=int, default=200000)
    parser.add_argument("--chain-levels", type=int, default=20000)
    parser.add_argument("--long-chain-levels", type=int, default=1500)
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--limit", help="the bare walker limit, compared with when given")
    heavy_cases = parser.add_argument_group("heavy cases (without any, the warm cases run)")
    heavy_cases.add_argument("--share", action="store_true", help="the share with a 1 ms round trip, cold (root)")
    heavy_cases.add_argument("--cold", action="store_true", help="452,420 files, page cache dropped (root)")
    heavy_cases.add_argument("--big", action="store_true",
                             help="1,398,100 files: peak memory warm, and the page cache dropped (root)")
    heavy_cases.add_argument("--reports", action="store_true",
                             help="the reports of files against the survey on 1,398,100 files")
    heavy_cases.add_argument("--windows", action="store_true", help="the Windows build under Wine on the share (root)")
    heavy_cases.add_argument("--all", action="store_true", help="every heavy case and the warm cases")
    heavy_cases.add_argument("--warm", action="store_true", help="the warm cases as well as the heavy ones chosen")
    heavy_cases.add_argument("--make-big-tree", help="the tree builder make_big_tree (needed by every heavy case)")
    heavy_cases.add_argument("--slow-share", help="slow_share.py, which serves the share")
    heavy_cases.add_argument("--share-mount", help="an empty directory to mount the share on "
                             "(default: share-mount in --work)")
    heavy_cases.add_argument("--windows-exe", help="mezu-report.exe of the Windows build")
    args = parser.parse_args()
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    for case in ("share", "cold", "big", "reports", "windows", "warm"):
        setattr(args, case, getattr(args, case) or args.all)
    with_heavy = args.share or args.cold or args.big or args.reports or args.windows
    signal.signal(signal.SIGTERM, leave_on_signal)
    signal.signal(signal.SIGHUP, leave_on_signal)

    print(f"mezu benchmark, {os.cpu_count()} cores, {time.strftime('%Y-%m-%d')}")
    targets = warm_cases(args) if args.warm or not with_heavy else []
    if with_heavy:
        targets += heavy_targets(args)
    print_targets(targets)


def heavy_targets(args):
    tools = heavy.Tools(args)
    is_root = os.geteuid() == 0
    targets = []
    if args.share or args.windows:
        mount_point = args.share_mount or os.path.join(args.work, "share-mount")
        targets += heavy.bench_share(tools, args.work, mount_point, args.runs, is_root, args.share, args.windows)
    if args.cold:
        targets += heavy.bench_cold(tools, args.work, args.runs, is_root)
    if args.big:
        targets += heavy.bench_big(tools, args.work, args.runs, is_root)
    if args.reports:
        targets += heavy.bench_reports(tools, args.work, args.runs, is_root)
    return targets


if __name__ == "__main__":
    main()
