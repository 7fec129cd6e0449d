#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Cross-checks mezu-report's largest, kinds and ages against a count of its own made with
# os.walk: the files a file manager shows (no hidden names nor anything below them, no links,
# no special files), each counted in whole blocks or as allocated, a hard-linked file at each
# name or once per (st_dev, st_ino). Each report is run as text, csv and json; the csv must be
# the count, the json the csv, and the text the csv, line for line. Prints "ok - ..." or
# "FAIL - ..." for each check.
# Usage: file_reports_check.py MEZU-REPORT ROOT DIR SIZE HARD-LINKS
#   ROOT is given as drive C:, DIR lies below it; SIZE clusters|allocated, HARD-LINKS every|once.
import calendar
import csv
import datetime
import io
import json
import os
import re
import subprocess
import sys

report, root, top, size, links = sys.argv[1:6]
cluster = os.statvfs(top).f_frsize
failures = 0


def check(name, good, detail=""):
    global failures
    if good:
        print(f"ok - {name} ({size}, hard links {links})")
    else:
        failures += 1
        print(f"FAIL - {name} ({size}, hard links {links}): {detail}")


def drive_path(path):
    rel = os.path.relpath(path, root)
    return "C:\\" + ("" if rel == "." else rel.replace("/", "\\"))


def kind_of(name):
    dot = name.rfind(".")
    return "" if dot <= 0 or dot + 1 == len(name) else name[dot + 1:].lower()


# Every file the survey counts, hard links once where asked; which name of a file stands for it
# is the walk's choice, so each keeps its inode to be matched by.
files = []
seen = set()
for directory, subdirectories, names in os.walk(top):
    subdirectories[:] = [d for d in subdirectories if not d.startswith(".")]
    for name in names:
        path = os.path.join(directory, name)
        st = os.lstat(path)
        if name.startswith(".") or not os.path.isfile(path) or os.path.islink(path):
            continue
        if links == "once" and st.st_nlink > 1:
            if (st.st_dev, st.st_ino) in seen:
                continue
            seen.add((st.st_dev, st.st_ino))
        counted = st.st_blocks * 512 if size == "allocated" else -(-st.st_size // cluster) * cluster
        files.append({"path": path, "drive": drive_path(path), "bytes": counted, "length": st.st_size,
                      "mtime": int(st.st_mtime), "inode": (st.st_dev, st.st_ino), "kind": kind_of(name)})
whole = sum(f["bytes"] for f in files)


def run(*args):
    done = subprocess.run([report, "--drive", f"C={root}", "--size", size, "--hard-links", links, *args],
                          capture_output=True)
    if done.returncode != 0 or done.stderr:
        check(" ".join(args), False, f"status {done.returncode}: {done.stderr.decode()}")
    return done.stdout.decode()


def body(text):
    """The title line, the lines between the rules and the footer's count."""
    lines = text.split("\n")
    rules = [i for i, line in enumerate(lines) if line == "+" * 41]
    return lines[2], lines[rules[0] - 1], lines[rules[0] + 1:rules[1]], lines[rules[1] + 1]


def megabytes(line):
    return float(line[:line.index("MB")])


def footer_and_title(command, text):
    title, what, rows, footer = body(text)
    marks = ("（実割当）" if size == "allocated" else "") + ("（ハードリンク1回）" if links == "once" else "")
    check(f"{command}: title line says the modes", title == "ディレクトリ容量調査ツール　Ver 1.10" + marks, title)
    check(f"{command}: footer counts every file examined", footer == f"調べたファイル数： {len(files)}", footer)
    return what, rows


def exports(command, *args):
    """The csv rows and the json document of a report, and whether they hold the same rows."""
    rows = list(csv.DictReader(io.StringIO(run("--format", "csv", command, *args, top), newline="")))
    document = json.loads(run("--format", "json", command, *args, top))
    check(f"{command}: json header", (document["command"], document["size"], document["hard_links"]) ==
          (command, size, links) and document["directory"]["bytes"] == whole and
          document["directory"]["files"] == len(files), {k: document[k] for k in ("command", "size", "hard_links")})
    return rows, document


def largest(count):
    ranked = sorted(files, key=lambda f: (-f["bytes"], f["drive"].encode()))[:count]
    rows, document = exports("largest", "-n", str(count))
    got = [(int(r["bytes"]), int(r["length"]), os.lstat(r["host_path"]).st_ino) for r in rows]
    want = [(f["bytes"], f["length"], f["inode"][1]) for f in ranked]
    check(f"largest -n {count}: the files the count ranks first, in its order", got == want,
          f"\n  got  {got[:8]}\n  want {want[:8]}")
    if links == "every":
        check(f"largest -n {count}: ties in the order of their paths",
              [r["drive_path"] for r in rows] == [f["drive"] for f in ranked])
    else:
        inodes = [g[2] for g in got]
        check(f"largest -n {count}: each file once", len(inodes) == len(set(inodes)))
    check(f"largest -n {count}: json files are the csv rows",
          [{k: str(v) if v is not None else "" for k, v in f.items()} for f in document["files"]] == rows)
    modified = [datetime.datetime.fromtimestamp(os.lstat(r["host_path"]).st_mtime // 1).astimezone().isoformat()
                for r in rows]
    check(f"largest -n {count}: modification times with their offset", [r["modified"] for r in rows] == modified,
          f"{[r['modified'] for r in rows[:3]]} vs {modified[:3]}")
    check(f"largest -n {count}: directories", all(r["drive_path"].startswith(r["directory"] + "\\") for r in rows))

    what, lines = footer_and_title("largest", run("largest", "-n", str(count), top))
    check(f"largest -n {count}: title", what == f"{drive_path(top)} 以下の大きいファイル {count} 件", what)
    pattern = re.compile(r"^(\d{4,}\.\d\dMB)  (\d{4}/\d\d/\d\d)  +(\d+) B  (.*)$")
    parsed = [pattern.match(line) for line in lines]
    text = [(m[4], int(m[3]), m[2]) if m else line for m, line in zip(parsed, lines)]
    csv_view = [(r["drive_path"], int(r["length"]), r["modified"][:10].replace("-", "/")) for r in rows]
    check(f"largest -n {count}: text lines are the csv rows", text == csv_view, f"\n  {text[:3]}\n  {csv_view[:3]}")
    check(f"largest -n {count}: text megabytes are the csv bytes",
          all(m and abs(megabytes(m[1]) - int(r["bytes"]) / 2**20) <= 0.005 for m, r in zip(parsed, rows)))


def groups(command, key, want):
    """The rows of kinds or ages: the csv against `want`, the json and the text against the csv."""
    rows, document = exports(command)
    got = [(r[key], r.get("rest", "false"), int(r["bytes"]), int(r["files"])) for r in rows]
    check(f"{command}: rows as counted", got == want, f"\n  got  {got}\n  want {want}")
    check(f"{command}: shares of the whole",
          all(abs(float(r["share"]) - int(r["bytes"]) / max(whole, 1)) < 1e-6 for r in rows))
    # Shares as numbers: json writes the csv's "1.000000" as the same number, not the same text.
    listed = [{k: (float(v) if k == "share" else "" if v is None else str(v).lower() if isinstance(v, bool)
                   else str(v)) for k, v in g.items()} for g in document[command]]
    check(f"{command}: json rows are the csv rows", listed == [dict(r, share=float(r["share"])) for r in rows],
          f"{listed[:2]} vs {rows[:2]}")
    what, lines = footer_and_title(command, run(command, top))
    check(f"{command}: one text line for each row", len(lines) == len(rows), f"{len(lines)} lines, {len(rows)} rows")
    pattern = re.compile(r"^(\d{4,}\.\d\dMB)  +([\d.]+)%  +(\d+) 個  (.*)$")
    for line, row in zip(lines, rows):
        m = pattern.match(line)
        if not (m and int(m[3]) == int(row["files"]) and abs(float(m[2]) - 100 * float(row["share"])) <= 0.05 and
                abs(megabytes(m[1]) - int(row["bytes"]) / 2**20) <= 0.005):
            check(f"{command}: text line agrees with the csv", False, f"{line!r} vs {row}")
            return lines
    return lines


def kinds():
    tally = {}
    for f in files:
        bytes_, count = tally.get(f["kind"], (0, 0))
        tally[f["kind"]] = (bytes_ + f["bytes"], count + 1)
    ranked = sorted(tally.items(), key=lambda item: (-item[1][0], item[0]))
    want = [(kind, "false", b, n) for kind, (b, n) in ranked[:50]]
    rest = ranked[50:]
    if rest:
        want.append(("", "true", sum(b for _, (b, _) in rest), sum(n for _, (_, n) in rest)))
    lines = groups("kinds", "kind", want)
    captions = [line.split("個  ", 1)[1] for line in lines]
    expected = [("（拡張子なし）" if k == "" else k) for k, *_ in want[:50]] + \
        ([f"（その他 {len(rest)} 種類）"] if rest else [])
    check("kinds: captions, the rest last", captions == expected, f"{captions} vs {expected}")


def months_before(when, months):
    month = when.year * 12 + when.month - 1 - months
    year, month = divmod(month, 12)
    day = min(when.day, calendar.monthrange(year, month + 1)[1])
    return when.replace(year=year, month=month + 1, day=day)


def ages():
    names = ["under_1_month", "1_to_3_months", "3_to_12_months", "1_to_2_years", "2_to_5_years", "5_years_or_more",
             "future"]
    now = datetime.datetime.fromisoformat(json.loads(run("--format", "json", "ages", top))["date"])
    starts = [months_before(now, m).timestamp() for m in (1, 3, 12, 24, 60)]
    tally = [[0, 0] for _ in names]
    for f in files:
        band = 6 if f["mtime"] > now.timestamp() else next((i for i, s in enumerate(starts) if f["mtime"] >= s), 5)
        tally[band][0] += f["bytes"]
        tally[band][1] += 1
    groups("ages", "age", [(name, "false", b, n) for name, (b, n) in zip(names, tally)])


largest(len(files) + 5)
# A cut in the middle of the largest group of files that count alike: the earlier paths win.
ranked = [f["bytes"] for f in sorted(files, key=lambda f: (-f["bytes"], f["drive"].encode()))]
tied = max(set(ranked), key=ranked.count)
largest(ranked.index(tied) + ranked.count(tied) // 2)
kinds()
ages()
sys.exit(1 if failures else 0)
