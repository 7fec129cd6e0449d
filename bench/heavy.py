# SPDX-License-Identifier: MIT
"""The benchmark's heavy cases, each chosen by an option of bench.py: a network share with a
1 ms round trip read cold (--share), trees read after the page cache is dropped (--cold, --big),
peak memory on 1.4 million entries (--big), the reports of files against the survey on them
(--reports), and the Windows build under Wine on the share (--windows). Each compares mezu-report with the bare walker limit, gdu, du and ncdu.

Dropping the caches and mounting need root; a case that cannot run prints a line saying why,
and its targets show as not measured. The share is always unmounted on the way out, also when
the run fails or is interrupted."""
import os
import re
import shutil
import socket
import subprocess
import sys

from measure import (GNU_TIME, MIB, Contender, Target, count_tree, drop_caches, print_table,
                     program_files, read_files, run_in_turns, run_quietly)

SHARE_DELAY_MS = 0.5  # each way: a 1 ms round trip
SHARE_TREE = (20, 9, 3)  # about 17,000 entries
COLD_TREE = (20, 12, 4)  # 452,420 files in 22,620 directories
BIG_TREE = (20, 16, 4)  # 1,398,100 files in 69,904 directories
BIG_MEMORY_MIB = 32
BIG_OVER_SMALL_MIB = 4
REPORTS_TIME_RATIO = 1.10  # of each file report to the survey on the same tree
REPORTS_OVER_SURVEY_MIB = 4
FILE_REPORTS = (("largest", "the largest files"), ("kinds", "by kind"), ("ages", "by age"),
                ("--hard-links once survey", "survey, hard links once"))
SFTP_SERVER = "/usr/lib/openssh/sftp-server"


class Tools:
    """Where the programs of the heavy cases are; None for one that is not there."""

    def __init__(self, args):
        self.bin_dir = args.bin
        self.limit = args.limit
        self.make_big_tree = args.make_big_tree
        self.slow_share = args.slow_share
        self.windows_exe = args.windows_exe
        self.gdu = shutil.which("gdu") or shutil.which("gdu-go")


def big_tree(tools, parent, shape):
    """make_big_tree's tree of shape (files per directory, fan-out, depth) in parent, reused when
    its marker (beside it, so no tool counts it) names the same shape."""
    root = os.path.join(parent, "tree-{}-{}-{}".format(*shape))
    marker = root + ".complete"
    wanted = "{} {} {}\n".format(*shape)
    if os.path.exists(marker):
        with open(marker) as f:
            if f.read() == wanted:
                return root
    print(f"Building {root} ...", file=sys.stderr)
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(parent, exist_ok=True)
    subprocess.run([tools.make_big_tree, root] + [str(n) for n in shape], check=True, stdout=subprocess.DEVNULL)
    with open(marker, "w") as f:
        f.write(wanted)
    return root


def contenders_for(tools, root, mezu_threads):
    """mezu-report with each of mezu_threads (None: its default), limit -t 16 and -t 64, gdu,
    du and ncdu, all on root."""
    report = os.path.join(tools.bin_dir, "mezu-report")
    contenders = []
    for threads in mezu_threads:
        option = [] if threads is None else ["--threads", str(threads)]
        contenders.append(Contender(" ".join(["mezu-report"] + option + ["survey"]), [report] + option + ["survey", root]))
    if tools.limit:
        contenders += [Contender(f"limit -t {t}", [tools.limit, "-t", str(t), root]) for t in (16, 64)]
    if tools.gdu:
        gdu = os.path.basename(tools.gdu)
        contenders.append(Contender(f"{gdu} -n -p -x", [tools.gdu, "-n", "-p", "-x", root]))
    contenders.append(Contender("du -d 1 -B1 -x", ["du", "-d", "1", "-B1", "-x", root]))
    contenders.append(Contender("ncdu -0 -o /dev/null", ["ncdu", "-0", "-o", "/dev/null", root]))
    return contenders


def named(contenders, name):
    return next((c for c in contenders if c.name == name), None)


def ratio(contenders, name, reference):
    mine, theirs = named(contenders, name), named(contenders, reference)
    return mine.median() / theirs.median() if mine and theirs else None


def describe(root):
    files, directories = count_tree(root)
    return f"{files:,} files in {directories:,} directories ({files + directories:,} entries)"


def cold_runs(contenders, runs):
    """Each timed run follows a dropped page cache; the programs' own files are read back
    first, so that a run times the tree's reads, not the loading of the program."""
    files = {c.name: program_files(GNU_TIME) + program_files(c.command[0]) for c in contenders}

    def drop(contender):
        drop_caches()
        read_files(files[contender.name])

    run_in_turns(contenders, runs, before_each=drop, with_peak=True)


def warm_runs(contenders, runs):
    for contender in contenders:  # fills the cache and every program's first start
        run_quietly(contender.command, contender.env)
    run_in_turns(contenders, runs, with_peak=True)


def warn_if_memory_backed(path):
    kind = subprocess.run(["stat", "-f", "-c", "%T", path], stdout=subprocess.PIPE, text=True).stdout.strip()
    if kind in ("tmpfs", "ramfs"):
        print(f"  note: {path} is on {kind}: its files live in the page cache, so a cold run reads memory")


def not_measured(title, why, targets):
    print(f"\n{title}: skipped, {why}")
    for target in targets:
        target.why = why
    return targets


def why_not(tools, is_root, root_for=None, needs=()):
    """Why a case cannot run, or "" when it can: root_for names what needs root; needs, the
    tools' attributes it cannot do without."""
    if root_for and not is_root:
        return f"{root_for} needs root"
    sources = {"make_big_tree": "make_big_tree.c", "slow_share": "slow_share.py"}
    missing = [sources[name] for name in ("make_big_tree",) + tuple(needs) if getattr(tools, name) is None]
    return " and ".join(missing) + " of ../shared/bench is not there" if missing else ""


def big_tree_unless_skipped(tools, work, is_root, title, targets):
    """The 1.4M-entry tree, built if need be; or None when the case titled so cannot run, its
    targets then marked with the reason."""
    why = why_not(tools, is_root)
    if why:
        not_measured(title, why, targets)
        return None
    return big_tree(tools, work, BIG_TREE)


def bench_cold(tools, work, runs, is_root):
    """--cold: the 452,420-file tree, the page cache dropped before every run."""
    target = Target("cold, 452k files: mezu-report / limit -t 16", None, 1.10)
    why = why_not(tools, is_root, "dropping the page cache")
    if why:
        return not_measured("Page cache dropped", why, [target])
    root = big_tree(tools, work, COLD_TREE)
    contenders = contenders_for(tools, root, [None])
    cold_runs(contenders, runs)
    print_table(f"Page cache dropped: {root}, {describe(root)}, median of {runs} runs in turns", contenders,
                named(contenders, "limit -t 16"), with_range=True)
    warn_if_memory_backed(root)
    target.measured, target.why = ratio(contenders, "mezu-report survey", "limit -t 16"), "no limit"
    return [target]


def bench_big(tools, work, runs, is_root):
    """--big: time and peak memory on 1,468,004 entries warm, then cold when root; and the peak
    on the share's small tree, which the big tree's is held against."""
    kinds = (("", "mezu-report survey"), (", --threads 64", "mezu-report --threads 64 survey"))
    targets = []
    for label, _ in kinds:
        targets += [Target(f"1.4M entries, warm: peak memory{label}", None, BIG_MEMORY_MIB, " MiB"),
                    Target(f"1.4M entries: peak over the 17k tree's{label}", None, BIG_OVER_SMALL_MIB, " MiB")]
    root = big_tree_unless_skipped(tools, work, is_root, "Big tree", targets)
    if root is None:
        return targets
    small = big_tree(tools, os.path.join(work, "share"), SHARE_TREE)
    what = describe(root)
    warm = contenders_for(tools, root, [None, 64])
    warm_runs(warm, runs)
    print_table(f"Big tree, warm cache: {root}, {what}, median of {runs} runs in turns", warm,
                named(warm, "limit -t 16"), with_range=True)
    few = contenders_for(tools, small, [None, 64])[:2]
    warm_runs(few, runs)
    print_table(f"Small tree, warm cache: {small}, {describe(small)}, median of {runs} runs", few, None)
    if is_root:
        cold = contenders_for(tools, root, [None, 64])
        cold_runs(cold, runs)
        print_table(f"Big tree, page cache dropped: {root}, {what}, median of {runs} runs in turns", cold,
                    named(cold, "limit -t 16"), with_range=True)
        warn_if_memory_backed(root)
    else:
        print("\nBig tree, page cache dropped: skipped, dropping the page cache needs root")
    for (_, name), (peak_target, over_target) in zip(kinds, zip(targets[::2], targets[1::2])):
        peak, small_peak = named(warm, name).peak() / MIB, named(few, name).peak() / MIB
        peak_target.measured, over_target.measured = peak, peak - small_peak
    return targets


def bench_reports(tools, work, runs, is_root):
    """--reports: each report of the files, and the survey counting hard links once, against the
    survey on the 1.4M-file tree: time warm (and cold when root) and peak memory, all made in
    the one walk a survey makes."""
    targets = []
    for _, title in FILE_REPORTS:
        targets += [Target(f"1.4M: {title}, time / survey's, warm", None, REPORTS_TIME_RATIO, "x"),
                    Target(f"1.4M: {title}, peak over survey's", None, REPORTS_OVER_SURVEY_MIB, " MiB")]
    root = big_tree_unless_skipped(tools, work, is_root, "Reports of files", targets)
    if root is None:
        return targets
    report = os.path.join(tools.bin_dir, "mezu-report")

    def reports():
        return [Contender("mezu-report survey", [report, "survey", root])] + [
            Contender(f"mezu-report {command}", [report] + command.split() + [root]) for command, _ in FILE_REPORTS]

    contenders = reports()
    warm_runs(contenders, runs)
    survey = contenders[0]
    print_table(f"Reports of files, warm cache: {root}, {describe(root)}, median of {runs} runs in turns",
                contenders, survey, with_range=True)
    for contender, (time_target, peak_target) in zip(contenders[1:], zip(targets[::2], targets[1::2])):
        time_target.measured = contender.median() / survey.median()
        peak_target.measured = (contender.peak() - survey.peak()) / MIB
    if is_root:
        cold = reports()
        cold_runs(cold, max(1, runs // 3))
        print_table(f"Reports of files, page cache dropped: {root}, median of {max(1, runs // 3)} runs in turns",
                    cold, cold[0], with_range=True)
    return targets


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class SlowShare:
    """slow_share.py's share of source on mount_point; down() is safe to call whatever state
    up() reached."""

    def __init__(self, script, source, mount_point):
        self.script = script
        self.source = source
        self.mount_point = os.path.abspath(mount_point)

    def _call(self, *args, check=True):
        subprocess.run([sys.executable, self.script] + list(args), check=check, stdin=subprocess.DEVNULL)

    def up(self):
        if os.path.ismount(self.mount_point):
            raise RuntimeError(f"{self.mount_point} is already a mount point: a share left by an earlier run? "
                               f"python3 {self.script} down {self.mount_point}")
        self._call("up", self.source, self.mount_point, "--delay-ms", str(SHARE_DELAY_MS),
                   "--port", str(free_port()))

    def remount(self):
        self._call("remount", self.mount_point)

    def down(self):
        if os.path.exists(self.mount_point.rstrip("/") + ".relay"):
            self._call("down", self.mount_point, check=False)


def bench_share(tools, work, mount_point, runs, is_root, with_share, with_windows):
    """--share and --windows: the small tree on the slow share, every run after a remount."""
    share_targets = [Target("share, cold: mezu-report / limit -t 16", None, 1.15),
                     Target("share, cold: mezu-report / gdu", None, 0.67)]
    windows_targets = [Target("Wine, share: survey / --threads 1", None, 0.35),
                       Target("Wine, share: report lines as Linux mezu-report", None)]
    targets = (share_targets if with_share else []) + (windows_targets if with_windows else [])
    why = why_not(tools, is_root, "mounting the share", ("slow_share",))
    if not why and (shutil.which("sshfs") is None or not os.path.exists(SFTP_SERVER)):
        why = "sshfs or openssh-sftp-server is not installed"
    if not why and not with_share and tools.windows_exe is None:
        why = "no build-windows/bin/mezu-report.exe (bench/run.sh --windows builds it)"
    if why:
        return not_measured("Share with a 1 ms round trip", why, targets)

    source = os.path.join(work, "share")
    big_tree(tools, source, SHARE_TREE)
    share = SlowShare(tools.slow_share, source, mount_point)
    try:
        share.up()
        tree = os.path.join(share.mount_point, "tree-{}-{}-{}".format(*SHARE_TREE))
        what = describe(tree)
        if with_share:
            contenders = contenders_for(tools, tree, [None, 1, 64])
            run_in_turns(contenders, runs, before_each=lambda _: share.remount(), with_peak=True)
            print_table(f"Share with a 1 ms round trip, cold (remounted before every run): {tree}, {what}, "
                        f"median of {runs} runs in turns", contenders, named(contenders, "limit -t 16"),
                        with_range=True)
            gdu = os.path.basename(tools.gdu or "gdu") + " -n -p -x"
            for target, reference in zip(share_targets, ("limit -t 16", gdu)):
                target.measured = ratio(contenders, "mezu-report survey", reference)
                target.why = f"no {reference.split()[0]}"
        if with_windows:
            bench_windows(tools, share, tree, what, runs, windows_targets)
    finally:
        share.down()
    return targets


def wine_environment(exe):
    """The Wine of scripts/windows.sh: the prefix beside the build's bin/, quiet, no display;
    the prefix is made on first use, as its test run makes it."""
    prefix = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(exe))), "wineprefix")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", WINEARCH="win64")
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    if not os.path.exists(os.path.join(prefix, "system.reg")):
        print(f"Creating the Wine prefix in {prefix}", file=sys.stderr)
        subprocess.run(["wineboot", "--init"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "--wait"], env=env)
    return env


RESULT_LINE = re.compile(r"^(\d{4,}\.\d\dMB) - (.*?) *= \(([0-9.]+KB)\) \((\d+) B\)$")
COUNT_LINE = re.compile(r"^(.*) 以下のディレクトリ数： (\d+)$")


def report_lines(report):
    """The result lines and the closing count of a survey report, each path relative to the
    surveyed directory (its own line comes first), so that reports of one tree seen under two
    drive paths compare equal."""
    lines, top = [], None
    for line in report.decode("utf-8", "replace").replace("\r", "").splitlines():
        result, count = RESULT_LINE.match(line), COUNT_LINE.match(line)
        if result:
            top = top if top is not None else result.group(2)
            below = result.group(2)[len(top):].lstrip("\\")  # a drive's root ends in one: C:\
            lines.append(f"{result.group(1)} {below} {result.group(3)} {result.group(4)}")
        elif count:
            lines.append(f"count {count.group(2)}")
    return lines


def bench_windows(tools, share, tree, what, runs, targets):
    if tools.windows_exe is None:
        not_measured("Windows build under Wine", "no build-windows/bin/mezu-report.exe (bench/run.sh --windows "
                     "builds it)", targets)
        return
    exe = tools.windows_exe
    env = wine_environment(exe)
    on_windows = "Z:" + tree.replace("/", "\\")  # Wine's Z: is the Linux root
    start = Contender("Wine's start: mezu-report.exe --version", ["wine", exe, "--version"], env)
    survey = Contender("mezu-report.exe survey", ["wine", exe, "survey", on_windows], env)
    # No build of the one-directory-at-a-time reader is kept to run: the build of today read
    # with one thread stands for it.
    one = Contender("mezu-report.exe --threads 1 (one at a time)", ["wine", exe, "--threads", "1", "survey",
                                                                    on_windows], env)
    contenders = [survey, one, start]
    for contender in contenders:  # Wine's first start in its prefix is slow; it is not timed
        run_quietly(contender.command, env)
    run_in_turns(contenders, runs, before_each=lambda _: share.remount(), with_peak=True)
    print_table(f"Windows build under Wine, share with a 1 ms round trip, cold: {on_windows}, {what}, "
                f"median of {runs} runs in turns (peak: the Windows program's process)", contenders, one,
                with_range=True, reference_label="--threads 1")
    share.remount()
    windows = report_lines(run_quietly(survey.command, env, keep_output=True))
    linux = report_lines(run_quietly([os.path.join(tools.bin_dir, "mezu-report"), "survey", tree], keep_output=True))
    same = bool(windows) and windows == linux
    if same:
        print(f"  the {len(windows)} report lines are those of the Linux mezu-report")
    else:
        differing = next((pair for pair in zip(windows, linux) if pair[0] != pair[1]), None)
        print(f"  the report lines differ ({len(windows)} under Wine, {len(linux)} on Linux); first: {differing}")
    targets[0].measured = survey.median() / one.median()
    targets[1].measured = same
