#!/usr/bin/env bash
# Start-up time (process start until the X server maps the window) and peak resident memory of
# Veltrix against the baseline Qt program of the same shape, on a private Xvfb display.
#
#   bash bench/startup.sh [BUILD_DIR] [RUNS]     defaults: build/release 21
#
# Runs alternate between the two programs, the order swapped in every pair (A B, B A, ...) so that
# drift in the machine's load falls on both alike; one unrecorded warm-up run of each comes first
# (font cache, page cache). No window manager by default, so the figure is the program's own time;
# WM=openbox adds openbox's reaction to both. Prints medians and ratios; RESULTS=file keeps the
# raw runs as "name startup_us vmhwm_kb maxrss_kb cpu_us".
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-21}
settle_ms=${SETTLE_MS:-400}

mapwait=$build/bench/mapwait
veltrix=$build/veltrix
baseline=$build/bench/startup_baseline
for f in "$mapwait" "$veltrix" "$baseline"; do
  [ -x "$f" ] || { echo "startup.sh: $f is missing; build the release preset first" >&2; exit 1; }
done
[ "$runs" -ge 15 ] || { echo "startup.sh: at least 15 runs" >&2; exit 1; }

# A display of our own: -displayfd lets Xvfb pick a free number and tell us once it is listening.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
wm_pid=
dbus_pid=
runtime_dir=
cleanup() {
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$dbus_pid" ]; then kill "$dbus_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
  if [ -n "$runtime_dir" ]; then rm -rf "$runtime_dir"; fi
}
trap cleanup EXIT
for ((i = 0; i < 100; i++)); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "startup.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$display_file")
if [ "${WM:-}" = openbox ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
fi

# Both programs see the same environment, that of a desktop session: xcb, their own runtime
# directory and a session bus. Without a bus, every start would spend time launching one.
export QT_QPA_PLATFORM=xcb
unset SESSION_MANAGER
runtime_dir=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime_dir
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r dbus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS

raw=${RESULTS:-$(mktemp)}
: >"$raw"
measure() {  # name program
  local line
  line=$("$mapwait" "$settle_ms" "$2") || { echo "startup.sh: $1 failed: $line" >&2; exit 1; }
  case $line in
    *"width=121 height=137"*) ;;
    *) echo "startup.sh: $1 mapped a window of the wrong size: $line" >&2; exit 1 ;;
  esac
  echo "$1 $line" | sed -E 's/ [a-z_]+=/ /g' | cut -d' ' -f1-5 >>"$raw"
}

"$mapwait" "$settle_ms" "$baseline" >/dev/null
"$mapwait" "$settle_ms" "$veltrix" >/dev/null
: >"$raw"
for ((i = 0; i < runs; i++)); do
  if ((i % 2 == 0)); then
    measure baseline "$baseline"; measure veltrix "$veltrix"
  else
    measure veltrix "$veltrix"; measure baseline "$baseline"
  fi
done

python3 - "$raw" <<'EOF'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, *figures = line.split()
    runs.setdefault(name, []).append([int(f) for f in figures])
med = {n: [statistics.median(r[i] for r in rs) for i in range(4)] for n, rs in runs.items()}
v, b = med["veltrix"], med["baseline"]
print(f"runs: {len(runs['veltrix'])} of each, interleaved")
print(f"{'':24}{'veltrix':>12}{'baseline':>12}{'ratio':>8}")
for i, (what, scale, unit) in enumerate([("start-up to map", 1000, "ms"), ("peak RSS (VmHWM)", 1024, "MiB"),
                                         ("peak RSS (ru_maxrss)", 1024, "MiB"), ("CPU until mapped", 1000, "ms")]):
    print(f"{what + ' [' + unit + ']':24}{v[i] / scale:12.2f}{b[i] / scale:12.2f}{v[i] / b[i]:8.3f}")
lo = lambda n, i: min(r[i] for r in runs[n]) / 1000
hi = lambda n, i: max(r[i] for r in runs[n]) / 1000
print(f"start-up range [ms]: veltrix {lo('veltrix', 0):.2f}-{hi('veltrix', 0):.2f}, "
      f"baseline {lo('baseline', 0):.2f}-{hi('baseline', 0):.2f}")
EOF
