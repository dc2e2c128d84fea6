#!/usr/bin/env bash
# Reproduces every figure in docs/benchmarks.md: builds the release preset and, from the windows
# preset, Veltrix.exe and its yardstick; runs the calculation benchmarks, the key-release
# benchmark, the start-up comparison on Linux and under Wine, and prints the table.
#
#   bash bench/run-all.sh [OUT_DIR]      default OUT_DIR: build/release/bench-results
#
# Takes about four minutes. Run it on a quiet machine; the table records the load average at the
# start and the end so that a noisy run shows itself.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/release/bench-results}

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset windows >/dev/null
cmake --build --preset windows --target veltrix startup_baseline
mkdir -p "$out"

{
  echo "cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"
  echo "cores=$(nproc)"
  echo "kernel=$(uname -r)"
  echo "compiler=$(c++ --version | head -n1)"
  echo "qt=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)"
  echo "wine=$(WINEDEBUG=-all wine --version)"
  echo "mingw=$(x86_64-w64-mingw32-g++-posix --version | head -n1)"
  echo "load_before=$(cut -d' ' -f1-3 /proc/loadavg)"
  echo "date=$(date -u +%Y-%m-%dT%H:%MZ)"
} >"$out/machine.txt"

# 15 repetitions in random order, so that a burst of load spreads over all benchmarks alike.
build/release/bench/calc_bench \
  --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.1 \
  --benchmark_format=console --benchmark_out_format=json --benchmark_out="$out/calc_bench.json"

# Qt Test takes the median of 15 runs of each benchmark itself; 50,000 iterations a run make each
# last long enough (over 100 ms) that its whole-millisecond clock costs about one percent.
QT_QPA_PLATFORM=offscreen build/release/bench/keyrelease_bench -median 15 -iterations 50000 \
  -o "$out/keyrelease.xml,xml" -o -,txt

RESULTS="$out/startup.txt" bash bench/startup.sh build/release 41
# Wine's start-up spreads wider than the Linux program's, so more runs for the same certainty.
RESULTS="$out/startup-wine.txt" SIZES="$out/exe-size.txt" bash bench/startup-wine.sh build/windows build/release 61

echo "load_after=$(cut -d' ' -f1-3 /proc/loadavg)" >>"$out/machine.txt"
python3 bench/report.py "$out" | tee "$out/table.md"
