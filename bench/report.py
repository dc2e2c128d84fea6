#!/usr/bin/env python3
"""Turns the raw results of bench/run-all.sh into the Markdown table of docs/benchmarks.md.

Every figure is a median; every ratio divides two medians taken in the same run.
"""
import json
import statistics
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

from startup_summary import medians, read_runs

out = Path(sys.argv[1])
machine = dict(line.rstrip("\n").split("=", 1) for line in (out / "machine.txt").open())

# Google Benchmark: the median aggregate of each benchmark, in nanoseconds, and its counters.
calc = {}
for b in json.loads((out / "calc_bench.json").read_text())["benchmarks"]:
    if b.get("aggregate_name") == "median":
        calc[b["run_name"]] = b
ns = {name: b["real_time"] for name, b in calc.items()}
allocs = {name: b.get("allocs", 0.0) for name, b in calc.items()}

def pairs(prefix, baseline):
    for name in sorted(ns):
        if name.startswith(prefix + "/"):
            case = name.split("/", 1)[1]
            yield case, ns[name], ns[baseline + "/" + case]

# Qt Test: milliseconds per iteration, median of its own repeated runs.
qt = {}
for fn in ET.parse(out / "keyrelease.xml").getroot().iter("TestFunction"):
    for result in fn.iter("BenchmarkResult"):
        if result.get("metric") == "WalltimeMilliseconds":  # per iteration; we quote microseconds
            qt[fn.get("name")] = float(result.get("value")) * 1000

# Start-up: raw interleaved runs, of the Linux program and of Veltrix.exe under Wine.
runs = read_runs(out / "startup.txt")
med = medians(runs)
wine_runs = read_runs(out / "startup-wine.txt")
wine_med = medians(wine_runs)
exe_size = dict((name, int(size)) for name, size in (line.split() for line in (out / "exe-size.txt").open()))

rows = []
def row(what, value, unit, baseline_name, baseline, target, ok):
    ratio = f"{value / baseline:.2f}x" if baseline else ""
    rows.append(f"| {what} | {value:.{2 if value < 100 else 1}f} {unit} | {baseline_name} | "
                + (f"{baseline:.{2 if baseline < 100 else 1}f} {unit}" if baseline else "") +
                f" | {ratio} | {target} | {'' if ok is None else 'met' if ok else '**not met**'} |")

v, b = med["veltrix"], med["baseline"]
row("Start-up, process start to window mapped", v[0] / 1000, "ms", "bare Qt window", b[0] / 1000,
    "<= 1.10x", v[0] <= 1.10 * b[0])
row("CPU time until mapped (main thread)", v[3] / 1000, "ms", "bare Qt window", b[3] / 1000, "(diagnostic)", None)
row("Peak RSS, VmHWM after first paint", v[1] / 1024, "MiB", "bare Qt window", b[1] / 1024,
    "<= 1.10x", v[1] <= 1.10 * b[1])
row("Peak RSS, whole life (ru_maxrss)", v[2] / 1024, "MiB", "bare Qt window", b[2] / 1024, "(cross-check)", None)

v, b = wine_med["veltrix"], wine_med["baseline"]
row("Veltrix.exe under Wine: start-up to window mapped", v[0] / 1000, "ms", "smallest correct Win32 window", b[0] / 1000,
    "<= 1.10x", v[0] <= 1.10 * b[0])
row("Veltrix.exe under Wine: CPU time until mapped", v[3] / 1000, "ms", "smallest correct Win32 window", b[3] / 1000,
    "(diagnostic)", None)
row("Veltrix.exe under Wine: peak RSS, VmHWM after first paint", v[1] / 1024, "MiB", "smallest correct Win32 window",
    b[1] / 1024, "<= 1.10x", v[1] <= 1.10 * b[1])
row("Veltrix.exe, stripped", exe_size["veltrix"] / 1024, "KiB", "", 0, "<= 1024 KiB", exe_size["veltrix"] <= 1024 * 1024)

key = qt["keyReleaseInTxtBez"]
row("Key release in txtBez until both fields updated", key, "µs", "setText alone (harness)",
    qt["sourceTextChangeOnly"], "<= 50 µs", key <= 50)

recalc = {n.split("/", 1)[1]: t for n, t in ns.items() if n.startswith("Recalculate/")}
worst = max(recalc, key=recalc.get)
row(f"Recalculate, median over the {len(recalc)} source/text cases", statistics.median(recalc.values()), "ns", "", 0,
    "<= 1000 ns", statistics.median(recalc.values()) <= 1000)
row(f"Recalculate, slowest case ({worst})", recalc[worst], "ns", "", 0, "<= 1000 ns", recalc[worst] <= 1000)
most = max(allocs[n] for n in ns if n.startswith("Recalculate/"))
rows.append(f"| Heap allocations per Recalculate (any case) | {most:.0f} | | | | 0 beyond the field texts | "
            f"{'met' if most == 0 else '**not met**'} |")

for prefix, baseline, limit in (("FormatNumber", "to_chars_general15", 1.5), ("LeadingNumber", "from_chars", 2.0)):
    cases = list(pairs(prefix, baseline))
    for case, t, base in cases:
        row(f"{prefix}({case})", t, "ns", f"{baseline}", base, f"<= {limit}x", t <= limit * base)
    # All cases of the table one after the other: the cost over a typical mix, not a target of its own.
    total, total_base = sum(c[1] for c in cases), sum(c[2] for c in cases)
    row(f"{prefix}, all {len(cases)} cases above together", total, "ns", f"{baseline}", total_base, "", None)
for name in sorted(n for n in ns if n.startswith("RoundHalfEven/")):
    row(name.replace("/", "(") + ")", ns[name], "ns", "", 0, "", None)

print(f"Machine: {machine['cpu']}, {machine['cores']} cores, Linux {machine['kernel']}; {machine['compiler']}; "
      f"Qt {machine['qt']}. Run {machine['date']}; load average before {machine['load_before']}, "
      f"after {machine['load_after']}. {machine['wine']}; {machine['mingw']}. Start-up: {len(runs['veltrix'])} "
      f"interleaved runs of each program, under Wine {len(wine_runs['veltrix'])}.\n")
print("| Figure (median) | Veltrix | Baseline | Baseline figure | Ratio | Target | |")
print("|---|---|---|---|---|---|---|")
print("\n".join(rows))
