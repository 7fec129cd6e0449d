#!/usr/bin/env python3
"""Times mezu against du, ncdu and (when given) the bare walker limit on generated trees, warm
cache, and prints the table.

Every command runs --runs times, in turns, so that a slow moment of the machine falls on all
of them alike; the table shows medians, the ratio to du, and the peak memory of one run
measured by /usr/bin/time -v."""
import argparse
import os
import statistics
import subprocess
import sys
import time

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


def count_entries(root):
    """Every entry below root, as the survey sees them: links are not followed."""
    count = 0
    pending = [root]
    while pending:
        with os.scandir(pending.pop()) as entries:
            for entry in entries:
                count += 1
                if entry.is_dir(follow_symlinks=False):
                    pending.append(entry.path)
    return count


def run_quietly(command, env=None, keep_output=False):
    """Output goes to /dev/null unless kept, so that no program waits on a pipe."""
    result = subprocess.run(command, stdout=subprocess.PIPE if keep_output else subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=env, check=True)
    return result.stdout


def peak_memory_bytes(command, env=None):
    result = subprocess.run(["/usr/bin/time", "-v"] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, env=env, check=True, text=True)
    for line in result.stderr.splitlines():
        if "Maximum resident set size" in line:
            return int(line.split(":")[1]) * 1024
    raise RuntimeError("no peak memory from /usr/bin/time")


class Contender:
    def __init__(self, name, command, env=None, reports_own_time=False):
        self.name = name
        self.command = command
        self.env = env
        self.reports_own_time = reports_own_time  # prints the seconds its survey took
        self.times = []
        self.peak = None

    def run(self):
        start = time.perf_counter()
        output = run_quietly(self.command, self.env, keep_output=self.reports_own_time)
        elapsed = time.perf_counter() - start
        if self.reports_own_time:
            elapsed = float(output.split()[0])
        self.times.append(elapsed)

    def median(self):
        return statistics.median(self.times)


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
            contender.peak = peak_memory_bytes(contender.command, contender.env)

    du = next(c for c in contenders if c.name.startswith("du "))
    print(f"\n{label}: {root}, {entries} entries, median of {runs} runs, warm cache")
    limit_column = f" {'to limit':>8}" if yardstick else ""
    print(f"  {'command':<32} {'median s':>9} {'to du':>7}{limit_column} {'peak MiB':>9}")
    for contender in contenders:
        peak = f"{contender.peak / MIB:9.1f}" if contender.peak is not None else f"{'-':>9}"
        to_limit = f" {contender.median() / yardstick.median():8.2f}" if yardstick else ""
        print(f"  {contender.name:<32} {contender.median():9.3f} {contender.median() / du.median():7.2f}"
              f"{to_limit} {peak}")
    budget = 16 * MIB + 100 * entries
    results = {
        "ratio": mezu.median() / du.median(),
        "memory": mezu.peak,
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


def verdict(met):
    return "met" if met else "NOT MET"


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
    args = parser.parse_args()

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

    print(f"mezu benchmark, {os.cpu_count()} cores, {time.strftime('%Y-%m-%d')}")
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

    print(f"\nTargets{'':<38}{'measured':>9} {'target':>9}")
    rows = [
        ("nested tree: mezu-report / du", deep["ratio"], 0.75, ""),
        ("wide directory: mezu-report / du", flat["ratio"], 1.0, ""),
    ]
    for label, result in (("nested tree", deep), ("wide directory", flat)):
        if "limit" in result:
            rows.append((f"{label}: mezu-report / limit -t 2", result["limit"], 1.15, ""))
        rows.append((f"{label}: peak memory", result["memory"] / MIB, result["budget"] / MIB, " MiB"))
        if "window" in result:
            rows.append((f"{label}: window / mezu-report", result["window"], 1.3, ""))
    if opening is not None:
        rows.append((f"window: open {args.open_dirs} subdirectories", opening, 1.0, " s"))
    rows += [
        ("directory chain: mezu-report / du", deepest["ratio"], 2.0, ""),
        ("directory chain: peak memory", deepest["memory"] / MIB, 64, " MiB"),
        ("chain of long names: peak memory", longest["memory"] / MIB, 64, " MiB"),
    ]
    for label, measured, target, unit in rows:
        print(f"  {label:<43}{measured:9.2f} {target:9.2f}{unit}  {verdict(measured <= target)}")


if __name__ == "__main__":
    main()
