#!/usr/bin/env python3
"""Checks every VDA-FS file under a folder and prints a table of the files by number of problems per rule.

    PYTHONPATH=build/release/python /usr/bin/python3 examples/archive_summary.py FOLDER [--processes] [--jobs N]
                                                                                     [--rules K]

Files are read and checked on N threads at once (default: one per core): vdacheck releases the GIL while it
reads and checks, so threads run in parallel. --processes uses worker processes instead (each returns only its
counts). The table has a column for each of the K most frequent rules (default 5) and one for all others;
reader warnings count under their rules too. Files that cannot be read are listed below the table with the
reader's message. Exit status 0 when every file is read and clean.
"""

from __future__ import annotations

import argparse
import collections
import concurrent.futures
import os
import pathlib
import sys

import vdacheck

SUFFIXES = {".vda", ".vdafs", ".vdf"}


def summarise(path: pathlib.Path) -> tuple[str, collections.Counter[str] | str]:
    """(path, problems per rule), or (path, the read error's text)."""
    try:
        model = vdacheck.load(path, threads=1)  # the pool keeps the cores busy already
    except vdacheck.ReadError as e:
        return str(path), str(e)
    counts = collections.Counter(p.rule or "(no rule)" for p in vdacheck.check(model))
    counts.update(w.rule for w in model.warnings)
    return str(path), counts


def table(rows: dict[str, collections.Counter[str]], columns: int) -> str:
    """Files by total problems (most first); a column for each of the most frequent rules, one for the rest."""
    totals: collections.Counter[str] = collections.Counter()
    for counts in rows.values():
        totals.update(counts)
    rules = [rule for rule, _ in totals.most_common(columns)]
    rest = len(totals) > len(rules)

    def cells(name: str, counts: collections.Counter[str]) -> str:
        row = [f"{name:<{width}}", f"{sum(counts.values()):>5}"]
        row += [f"{counts[rule] or '.':>{len(rule)}}" for rule in rules]
        if rest:
            row.append(f"{sum(n for r, n in counts.items() if r not in rules) or '.':>5}")
        return "  ".join(row).rstrip()

    order = sorted(rows, key=lambda f: (-sum(rows[f].values()), f))
    width = max([len("all files"), *map(len, order)])
    lines = ["  ".join([f"{'file':<{width}}", "total", *rules, *(["other"] if rest else [])])]
    lines += [cells(f, rows[f]) for f in order]
    lines.append(cells("all files", totals))
    return "\n".join(lines)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--processes", action="store_true", help="check in worker processes instead of threads")
    parser.add_argument("--jobs", type=int, default=os.cpu_count(), help="files checked at once")
    parser.add_argument("--rules", type=int, default=5, help="rules that get a column of their own")
    args = parser.parse_args()

    files = sorted(p for p in args.folder.rglob("*") if p.suffix.lower() in SUFFIXES and p.is_file())
    pool = concurrent.futures.ProcessPoolExecutor if args.processes else concurrent.futures.ThreadPoolExecutor
    with pool(max_workers=args.jobs) as workers:
        results = list(workers.map(summarise, files))

    rows = {os.path.relpath(f, args.folder): r for f, r in results if not isinstance(r, str)}
    unreadable = [(f, r) for f, r in results if isinstance(r, str)]
    print(f"{len(files)} files, {len(rows)} read, {sum(1 for r in rows.values() if not r)} clean")
    if rows:
        print(table(rows, args.rules))
    for f, error in unreadable:
        print(f"unreadable: {error}")
    return 0 if not unreadable and not any(rows.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
