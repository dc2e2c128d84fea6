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
. bench/startup-lib.sh
build=${1:-build/release}
runs=${2:-21}
settle_ms=${SETTLE_MS:-400}
warmups=1
window_size="width=121 height=137"

mapwait=$build/bench/mapwait
veltrix_cmd=("$build/veltrix")
baseline_cmd=("$build/bench/startup_baseline")
for f in "$mapwait" "${veltrix_cmd[0]}" "${baseline_cmd[0]}"; do
  [ -x "$f" ] || { echo "startup.sh: $f is missing; build the release preset first" >&2; exit 1; }
done
[ "$runs" -ge 15 ] || { echo "startup.sh: at least 15 runs" >&2; exit 1; }

wm_pid=
dbus_pid=
runtime_dir=
cleanup() {
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$dbus_pid" ]; then kill "$dbus_pid" 2>/dev/null || true; fi
  stop_private_xvfb
  if [ -n "$runtime_dir" ]; then rm -rf "$runtime_dir"; fi
}
trap cleanup EXIT
start_private_xvfb
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
interleave "$runs"
python3 bench/startup_summary.py "$raw"
