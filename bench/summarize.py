#!/usr/bin/python3
"""Turns the per-run measurements of scripts/bench into bench/RESULTS.md and the data file
that bench/results.gp plots.

Usage: summarize.py RUNS_TSV COMMIT ONCE_FROM RESULTS_MD PLOT_DAT

ONCE_FROM is the host size from which scripts/bench runs the per-statement reader only once.

Each line of RUNS_TSV: kind (export or floor), subscribers, database, reader ("-" for the
floor), wall s, user s, sys s, peak RSS kB, statements ("-" where not counted), and the
1-minute load average just before the run.
"""
import datetime
import math
import os
import statistics
import subprocess
import sys
from collections import defaultdict

DATABASES = {"sqlite": "SQLite", "postgresql": "PostgreSQL (ODBC)"}
READERS = ["set-based", "per-statement"]


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as meminfo:
        kb = next(int(line.split()[1]) for line in meminfo if line.startswith("MemTotal:"))
    cores = subprocess.run(["nproc"], capture_output=True, text=True, check=True).stdout.strip()
    return f"{cores} × {model}, {kb / 1024 / 1024:.1f} GiB memory"


def file_system(path):
    found = subprocess.run(["findmnt", "-n", "-o", "FSTYPE,OPTIONS", "-T", path],
                           capture_output=True, text=True, check=True).stdout.split()
    return f"{found[0]}, mounted {found[1]}"


def read_runs(path):
    runs = defaultdict(list)
    with open(path) as tsv:
        for line in tsv:
            kind, size, database, reader, wall, user, sys_, rss, statements, load = line.split()
            size, wall = int(size), float(wall)
            runs[kind, size, database, reader].append({
                "wall": wall,
                "cpu": float(user) + float(sys_),
                "rate": size / wall if wall > 0 else math.inf,
                "rss": int(rss) / 1024,
                "statements": None if statements == "-" else int(statements) / size,
                "load": float(load),
            })
    return runs


def median(runs, key):
    values = [run[key] for run in runs if run[key] is not None]
    return statistics.median(values) if values else None


def growth_line(name, database, sizes, export, floor):
    small, large = sizes[-2], sizes[-1]
    parts = []
    for reader in READERS:
        if (large, database, reader) in export and (small, database, reader) in export:
            parts.append(f"{export[large, database, reader] / export[small, database, reader]:.1f} ({reader})")
    if (large, database) in floor and (small, database) in floor:
        parts.append(f"{floor[large, database] / floor[small, database]:.1f} (floor)")
    return f"- {name}: time({large:,}) / time({small:,}) = " + ", ".join(parts)


def main(runs_tsv, commit, once_from, results_md, plot_dat):
    runs = read_runs(runs_tsv)
    sizes = sorted({size for _, size, _, _ in runs})
    export = {(s, d, r): median(v, "wall") for (k, s, d, r), v in runs.items() if k == "export"}
    floor = {(s, d): median(v, "wall") for (k, s, d, _), v in runs.items() if k == "floor"}

    rows = []
    for size in sizes:
        for database, name in DATABASES.items():
            for reader in READERS:
                measured = runs.get(("export", size, database, reader))
                if not measured:
                    continue
                wall = export[size, database, reader]
                statements = median(measured, "statements")
                base = floor.get((size, database))
                rows.append(
                    f"| {size:,} | {name} | {reader} | {len(measured)} | {wall:.2f} "
                    f"| {median(measured, 'cpu'):.2f} | {median(measured, 'rate'):,.0f} "
                    f"| {median(measured, 'rss'):.0f} "
                    f"| {'–' if statements is None else f'{statements:.3g}'} "
                    f"| {'–' if base is None else f'{base:.2f}'} "
                    f"| {'–' if not base else f'{wall / base:.1f}'} |")

    runs_count = max(len(v) for v in runs.values())
    busiest = max(run["load"] for measured in runs.values() for run in measured)
    runs_note = "1 per row" if runs_count == 1 else f"{runs_count} per row; every figure is the median of them"
    if any(len(v) < runs_count for v in runs.values()):
        runs_note += (f", except where the Runs column says 1: from {int(once_from):,} subscribers up"
                      " the per-statement reader runs once, as one run takes minutes")
    text = [
        "# Benchmark results",
        "",
        "Written by `scripts/bench`; every run of it replaces this file.",
        "",
        f"- Machine: {machine()}",
        f"- Output folders (build/bench-work): {file_system(os.path.dirname(os.path.abspath(results_md)))}",
        f"- Date: {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC",
        f"- Commit: {commit}",
        f"- Runs: {runs_note}",
        f"- Busiest 1-minute load average seen just before a run: {busiest:.2f} (the runs themselves"
        " leave about 1; more means other work shared the machine)",
        "",
        "The export is `brindle /f:out.csv` with all 31 items, on a sample host from",
        "`brindle-demo-host --seed 1`, with the directory read from its SQLite file or from",
        "PostgreSQL over ODBC (psqlODBC, on 127.0.0.1), by the default set-based reader or",
        "`BRINDLE_LOOKUPS=per-statement`. Wall, CPU (user + sys) and peak RSS are the brindle",
        "process's, from `/usr/bin/time`; the PostgreSQL server's own work is not in the CPU",
        "figure. Subscribers/s is the host's subscriber count over the wall time. Statements",
        "are every statement PostgreSQL ran for that database during the run",
        "(`pg_stat_statements`, including the ODBC driver's own). The floor is the database's",
        "own client reading every row of every table the export reads (`sqlite3 -csv`,",
        "`psql \\copy ... TO /dev/null`); the ratio is export time over floor time. The export",
        "also writes the CSV and copies the voice-name WAV files, which the floor does not.",
        "",
        "| Subscribers | Database | Reader | Runs | Wall s | CPU s | Subscribers/s | Peak RSS MB "
        "| Statements/subscriber | Floor s | Ratio |",
        "|---:|---|---|---:|---:|---:|---:|---:|---:|---:|---:|",
        *rows,
    ]
    if len(sizes) > 1:
        linear = sizes[-1] / sizes[-2]
        text += ["", f"Growth of the wall time between the two largest sizes ({linear:g} would be linear):", ""]
        text += [growth_line(name, database, sizes, export, floor) for database, name in DATABASES.items()]
    with open(results_md, "w") as out:
        out.write("\n".join(text) + "\n")

    with open(plot_dat, "w") as out:
        out.write("# subscribers, then wall s: export per (database, reader), floor per database\n")
        for size in sizes:
            values = [export.get((size, d, r)) for d in DATABASES for r in READERS]
            values += [floor.get((size, d)) for d in DATABASES]
            out.write(" ".join([str(size)] + ["NaN" if v is None else f"{v:.4f}" for v in values]) + "\n")


if __name__ == "__main__":
    main(*sys.argv[1:])
