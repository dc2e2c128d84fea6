#!/usr/bin/env python3
"""Medians and ratios of the interleaved start-up runs that bench/startup-lib.sh records.

    python3 bench/startup_summary.py RAW_FILE

Each line of RAW_FILE: "name startup_us vmhwm_kb maxrss_kb cpu_us"; the names are veltrix and baseline.
"""
import statistics
import sys

FIGURES = [("start-up to map", 1000, "ms"), ("peak RSS (VmHWM)", 1024, "MiB"),
           ("peak RSS (ru_maxrss)", 1024, "MiB"), ("CPU until mapped", 1000, "ms")]


def read_runs(path):
    runs = {}
    for line in open(path):
        name, *figures = line.split()
        runs.setdefault(name, []).append([int(f) for f in figures])
    return runs


def medians(runs):
    return {n: [statistics.median(r[i] for r in rs) for i in range(len(FIGURES))] for n, rs in runs.items()}


def main(path):
    runs = read_runs(path)
    med = medians(runs)
    v, b = med["veltrix"], med["baseline"]
    print(f"runs: {len(runs['veltrix'])} of each, interleaved")
    print(f"{'':24}{'veltrix':>12}{'baseline':>12}{'ratio':>8}")
    for i, (what, scale, unit) in enumerate(FIGURES):
        print(f"{what + ' [' + unit + ']':24}{v[i] / scale:12.2f}{b[i] / scale:12.2f}{v[i] / b[i]:8.3f}")
    span = {n: (min(r[0] for r in rs) / 1000, max(r[0] for r in rs) / 1000) for n, rs in runs.items()}
    print(f"start-up range [ms]: veltrix {span['veltrix'][0]:.2f}-{span['veltrix'][1]:.2f}, "
          f"baseline {span['baseline'][0]:.2f}-{span['baseline'][1]:.2f}")


if __name__ == "__main__":
    main(sys.argv[1])
