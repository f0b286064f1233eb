#!/usr/bin/python3
"""Turns the per-run measurements of scripts/bench into bench/RESULTS.md and the data file
that bench/results.gp plots.

Usage: summarize.py RUNS_TSV COMMIT ONCE_FROM RESULTS_MD PLOT_DAT

ONCE_FROM is the host size from which scripts/bench runs the per-statement reader only once.

Each line of RUNS_TSV: kind, subscribers, database, reader ("-" for a floor), wall s, user s,
sys s, peak RSS kB, statements ("-" where not counted), the 1-minute load average just before
the run, the number and total bytes of the voice-name WAV files in the run's output ("-"
for the read floor), and the bytes of the earlier export a change report compared with ("-"
but for the change runs). The kinds: export (all items), export-without-copies (every item
but the two voice-name copies), the same two with --changes (export-changes,
export-changes-without-copies), read-floor (the database's own client reading every table)
and copy-floor (cp -r of an all-items export's voice-name copies).
"""
import datetime
import math
import os
import statistics
import subprocess
import sys
from collections import defaultdict

DATABASES = {"sqlite": "SQLite", "postgresql": "PostgreSQL (ODBC)"}
# The export rows of each size and database, in the table's order: kind, reader, what is
# exported, and the floor it is held against.
EXPORTS = [
    ("export", "set-based", "all 31 items", "read + copy"),
    ("export-without-copies", "set-based", "29: all but the voice-name copies", "read"),
    ("export", "per-statement", "all 31 items", "read"),
]


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
            kind, size, database, reader, wall, user, sys_, rss, statements, load, files, size_bytes, earlier = \
                line.split()
            size, wall = int(size), float(wall)
            runs[kind, size, database, reader].append({
                "wall": wall,
                "cpu": float(user) + float(sys_),
                "rate": size / wall if wall > 0 else math.inf,
                "rss": int(rss) / 1024,
                "statements": None if statements == "-" else int(statements) / size,
                "load": float(load),
                "files": None if files == "-" else int(files),
                "mb": None if size_bytes == "-" else int(size_bytes) / 1e6,
                "earlier_mb": None if earlier == "-" else int(earlier) / 1024 / 1024,
            })
    return runs


def median(runs, key):
    values = [run[key] for run in runs if run[key] is not None]
    return statistics.median(values) if values else None


def growth_line(name, database, sizes, wall):
    small, large = sizes[-2], sizes[-1]
    parts = []
    for label, key in [("set-based", ("export", database, "set-based")),
                       ("set-based without the voice-name copies", ("export-without-copies", database, "set-based")),
                       ("per-statement", ("export", database, "per-statement")),
                       ("read floor", ("read-floor", database, "-")),
                       ("copy floor", ("copy-floor", database, "-"))]:
        kind, database_, reader = key
        if wall.get((kind, large, database_, reader)) and wall.get((kind, small, database_, reader)):
            parts.append(f"{wall[kind, large, database_, reader] / wall[kind, small, database_, reader]:.1f} ({label})")
    return f"- {name}: time({large:,}) / time({small:,}) = " + ", ".join(parts)


def dash(value, form):
    return "–" if value is None else format(value, form)


def main(runs_tsv, commit, once_from, results_md, plot_dat):
    runs = read_runs(runs_tsv)
    sizes = sorted({size for _, size, _, _ in runs})
    wall = {key: median(measured, "wall") for key, measured in runs.items()}

    def floor_of(size, database, floor):
        read = wall.get(("read-floor", size, database, "-"))
        if floor == "read":
            return read
        copy = wall.get(("copy-floor", size, database, "-"))
        return None if read is None or copy is None else read + copy

    rows, floor_rows, change_rows, plot = [], [], [], []
    for size in sizes:
        plot_line = [str(size)]
        for database, name in DATABASES.items():
            ratios = []
            for kind, reader, items, floor in EXPORTS:
                measured = runs.get((kind, size, database, reader))
                base = floor_of(size, database, floor)
                if not measured:
                    ratios.append(None)
                    continue
                export = wall[kind, size, database, reader]
                ratio = export / base if base else None
                ratios.append(ratio)
                rows.append(
                    f"| {size:,} | {name} | {items} | {reader} | {len(measured)} | {export:.2f} "
                    f"| {median(measured, 'cpu'):.2f} | {median(measured, 'rate'):,.0f} "
                    f"| {median(measured, 'rss'):.0f} | {dash(median(measured, 'statements'), '.3g')} "
                    f"| {floor} | {dash(base, '.2f')} | {dash(ratio, '.1f')} |")
            read = runs.get(("read-floor", size, database, "-"))
            copy = runs.get(("copy-floor", size, database, "-"))
            if read or copy:
                floor_rows.append(
                    f"| {size:,} | {name} | {len(read or copy)} "
                    f"| {dash(read and median(read, 'wall'), '.2f')} "
                    f"| {dash(copy and median(copy, 'wall'), '.2f')} "
                    f"| {dash(copy and median(copy, 'files'), ',.0f')} "
                    f"| {dash(copy and median(copy, 'mb'), ',.1f')} "
                    f"| {dash(floor_of(size, database, 'read + copy'), '.2f')} |")
            for plain_kind, items in [("export", "all 31 items"), ("export-without-copies", "29")]:
                plain = runs.get((plain_kind, size, database, "set-based"))
                changes = runs.get((plain_kind.replace("export", "export-changes"), size, database, "set-based"))
                if not (plain and changes):
                    continue
                rss, rss_changes, earlier = median(plain, "rss"), median(changes, "rss"), median(changes, "earlier_mb")
                change_rows.append(
                    f"| {size:,} | {name} | {items} | {len(changes)} | {median(plain, 'wall'):.2f} "
                    f"| {median(changes, 'wall'):.2f} | {median(changes, 'wall') / median(plain, 'wall'):.2f} "
                    f"| {rss:.0f} | {rss_changes:.0f} | {earlier:.1f} | {rss_changes - rss:+.0f} "
                    f"| {(rss_changes - rss) / earlier:.2f} |")
            values = [wall.get((kind, size, database, reader)) for kind, reader, _, _ in EXPORTS]
            values += [floor_of(size, database, "read"), floor_of(size, database, "read + copy")]
            plot_line += ["NaN" if v is None else f"{v:.4f}" for v in values + ratios]
        plot.append(" ".join(plot_line))

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
        f"- Runs: {runs_note}; the runs of one size and database are interleaved",
        f"- Busiest 1-minute load average seen just before a run: {busiest:.2f} (the runs themselves"
        " leave about 1; more means other work shared the machine)",
        "",
        "The export is `brindle [LABEL...] /f:out.csv` on a sample host from",
        "`brindle-demo-host --seed 1`, with the directory read from its SQLite file or from",
        "PostgreSQL over ODBC (psqlODBC, on 127.0.0.1), by the default set-based reader or",
        "`BRINDLE_LOOKUPS=per-statement`. It exports either all 31 items, which copies the",
        "voice-name WAV file of every subscriber who has one into the output folder twice (named",
        "by alias and by extension), or, given every label of `brindle --list` but the two",
        "\"Voice Name WAV File\" ones, the other 29 items, which copy no file.",
        "",
        "Wall, CPU (user + sys) and peak RSS are the brindle process's, from `/usr/bin/time`; the",
        "PostgreSQL server's own work is not in the CPU figure. Subscribers/s is the host's",
        "subscriber count over the wall time. Statements are every statement PostgreSQL ran for",
        "that database during the run (`pg_stat_statements`, including the ODBC driver's own).",
        "",
        "The floors are what the export cannot do faster than:",
        "",
        "- Read floor: the database's own client reading every row of every table the export",
        "  reads (`sqlite3 -csv`, `psql \\copy ... TO /dev/null`). It writes and copies nothing.",
        "- Copy floor: `cp -r` of the voice-name copies an all-items set-based run has just",
        "  written (every `*.WAV` in its output folder) into a fresh folder on the same file",
        "  system, timed alone, from a page cache settled as before every other run (the previous",
        "  run's files removed, then `sync`).",
        "",
        "Ratio is the row's wall time over the floor named in its Floor column: the export of 29",
        "items over the read floor; the export of all 31 items by the set-based reader over the",
        "read floor plus the copy floor; the per-statement reader's export of all 31 items over",
        "the read floor alone, as before, so that its ratio also holds the copying.",
        "",
        "| Subscribers | Database | Items | Reader | Runs | Wall s | CPU s | Subscribers/s | Peak RSS MB "
        "| Statements/subscriber | Floor | Floor s | Ratio |",
        "|---:|---|---|---|---:|---:|---:|---:|---:|---:|---|---:|---:|",
        *rows,
        "",
        "The floors (the copy floor's files and megabytes are those of the copied folder):",
        "",
        "| Subscribers | Database | Runs | Read floor s | Copy floor s | Files copied | MB copied "
        "| Read + copy s |",
        "|---:|---|---:|---:|---:|---:|---:|---:|",
        *floor_rows,
    ]
    if change_rows:
        text += [
            "",
            "The change report: each set-based export of SQLite again with `--changes=REPORT`, the",
            "earlier export being the file the same export wrote just before (put back at the output",
            "path), so that every line is read, matched by alias and compared, and none differs. Time",
            "ratio is the wall time with the report over the time without it (the 29-item rows show",
            "the comparison's cost without the copies' variance); memory is peak RSS, its growth",
            "given in MB and in earlier files' sizes (MB counted as MiB here).",
            "",
            "| Subscribers | Database | Items | Runs | Without s | With --changes s | Time ratio "
            "| Peak RSS without MB | Peak RSS with MB | Earlier file MB | RSS growth MB | Growth / file size |",
            "|---:|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
            *change_rows,
        ]
    if len(sizes) > 1:
        linear = sizes[-1] / sizes[-2]
        text += ["", f"Growth of the wall time between the two largest sizes ({linear:g} would be linear):", ""]
        text += [growth_line(name, database, sizes, wall) for database, name in DATABASES.items()]
    with open(results_md, "w") as out:
        out.write("\n".join(text) + "\n")

    with open(plot_dat, "w") as out:
        out.write("# subscribers, then for SQLite and then PostgreSQL: wall s of the all-items set-based,\n"
                  "# 29-item set-based and all-items per-statement exports, the read floor, read + copy\n"
                  "# floor, and the three exports' ratios\n")
        out.write("\n".join(plot) + "\n")


if __name__ == "__main__":
    main(*sys.argv[1:])
