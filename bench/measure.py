# SPDX-License-Identifier: MIT
"""Timing and memory of the commands bench.py compares, and the tables it prints.

A Contender is one command line; each run adds its wall time and, when asked, its peak resident
memory as /usr/bin/time reports it (the largest process of the command's tree). Runs of several
contenders are interleaved by the caller, so that a slow moment of the machine falls on all."""
import os
import shutil
import statistics
import subprocess
import tempfile
import time

MIB = 1024 * 1024
GNU_TIME = "/usr/bin/time"


def run_quietly(command, env=None, keep_output=False):
    """Output goes to /dev/null unless kept, so that no program waits on a pipe."""
    result = subprocess.run(command, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE if keep_output else subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=env, check=True)
    return result.stdout


def count_tree(root):
    """Files (anything not a directory) and directories below root, as the survey sees them:
    links are not followed."""
    others = directories = 0
    pending = [root]
    while pending:
        with os.scandir(pending.pop()) as entries:
            for entry in entries:
                if entry.is_dir(follow_symlinks=False):
                    directories += 1
                    pending.append(entry.path)
                else:
                    others += 1
    return others, directories


def count_entries(root):
    return sum(count_tree(root))


def program_files(program):
    """The executable and the shared libraries it loads, as ldd names them; a static program
    (ldd refuses it) is its file alone."""
    path = shutil.which(program) or program
    files = [os.path.realpath(path)]
    listing = subprocess.run(["ldd", path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in listing.stdout.splitlines():
        parts = line.split()
        candidates = parts[2:3] if "=>" in parts else parts[:1]
        files += [os.path.realpath(p) for p in candidates if p.startswith("/")]
    return files


def drop_caches():
    """Writes back and forgets the page cache, dentries and inodes: the next read comes from the
    disk. Needs root."""
    os.sync()
    with open("/proc/sys/vm/drop_caches", "w") as control:
        control.write("3\n")


def read_files(paths):
    for path in paths:
        with open(path, "rb") as f:
            while f.read(1 << 20):
                pass


class Contender:
    def __init__(self, name, command, env=None, reports_own_time=False):
        self.name = name
        self.command = command
        self.env = env
        self.reports_own_time = reports_own_time  # prints the seconds its survey took
        self.times = []
        self.peaks = []

    def _execute(self, with_peak):
        command = self.command
        with tempfile.NamedTemporaryFile(mode="r", prefix="mezu-bench-peak-") as peak_file:
            if with_peak:
                command = [GNU_TIME, "-f", "%M", "-o", peak_file.name] + command
            start = time.perf_counter()
            output = run_quietly(command, self.env, keep_output=self.reports_own_time)
            elapsed = time.perf_counter() - start
            if with_peak:
                # GNU time writes the figure last; a line before it would be its own remark.
                self.peaks.append(int(peak_file.read().split()[-1]) * 1024)
        return float(output.split()[0]) if self.reports_own_time else elapsed

    def run(self, with_peak=False):
        self.times.append(self._execute(with_peak))

    def measure_peak(self):
        """One more run, untimed, for its peak memory alone."""
        self._execute(True)

    def median(self):
        return statistics.median(self.times)

    def peak(self):
        return max(self.peaks) if self.peaks else None


def run_in_turns(contenders, runs, before_each=None, with_peak=False):
    """Each round runs every contender once; the round's order turns by one each time, so that
    no command always follows the same one. before_each(contender) runs untimed first."""
    for round_number in range(runs):
        turn = round_number % len(contenders)
        for contender in contenders[turn:] + contenders[:turn]:
            if before_each is not None:
                before_each(contender)
            contender.run(with_peak)


def print_table(title, contenders, reference, with_range=False, reference_label=None):
    """A line per contender: median seconds, the ratio to the reference contender (when there is
    one), with_range the fastest and slowest run, and peak memory in MiB."""
    print(f"\n{title}")
    header = f"  {'command':<44} {'median s':>9}"
    if reference is not None:
        header += f" {'to ' + (reference_label or reference.name):>15}"
    if with_range:
        header += f" {'min s':>8} {'max s':>8}"
    print(header + f" {'peak MiB':>9}")
    for contender in contenders:
        line = f"  {contender.name:<44} {contender.median():9.3f}"
        if reference is not None:
            line += f" {contender.median() / reference.median():15.2f}"
        if with_range:
            line += f" {min(contender.times):8.3f} {max(contender.times):8.3f}"
        peak = contender.peak()
        print(line + (f" {peak / MIB:9.1f}" if peak is not None else f" {'-':>9}"))


class Target:
    """One line of the targets table: a figure against its bound (met when at most the bound),
    or a yes-or-no check (met when true); measured None, with why, when the case did not run."""

    def __init__(self, label, measured, target=None, unit="", why=""):
        self.label = label
        self.measured = measured
        self.target = target
        self.unit = unit
        self.why = why

    def line(self):
        if self.measured is None:
            return f"  {self.label:<52}{'-':>9} {self._bound():>9}{self.unit}  not measured: {self.why}"
        if isinstance(self.measured, bool):
            measured, met = ("yes" if self.measured else "no"), self.measured
        else:
            measured, met = f"{self.measured:.2f}", self.measured <= self.target
        return f"  {self.label:<52}{measured:>9} {self._bound():>9}{self.unit}  {'met' if met else 'NOT MET'}"

    def _bound(self):
        return "yes" if self.target is None else f"{self.target:.2f}"


def print_targets(targets):
    print(f"\nTargets{'':<47}{'measured':>9} {'target':>9}")
    for target in targets:
        print(target.line())
