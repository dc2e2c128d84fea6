#!/usr/bin/env bash
# Start-up time (process start until the X server maps the window) and peak resident memory of
# Veltrix.exe under Wine against the smallest correct Win32 window of the same shape
# (bench/baseline_win32), and the size of the stripped Veltrix.exe.
#
#   bash bench/startup-wine.sh [WINDOWS_BUILD_DIR] [LINUX_BUILD_DIR] [RUNS]
#                                     defaults: build/windows build/release 21
#
# WINDOWS_BUILD_DIR holds both programs (the windows preset), LINUX_BUILD_DIR bench/mapwait. Both
# programs run stripped, as Veltrix.exe ships, on a private Xvfb with no window manager, in a Wine
# prefix of the benchmark's own (WINDOWS_BUILD_DIR/bench-wineprefix, made on first use) and under
# one Wine server kept for the whole run, so that no run pays for starting Wine's services. Three
# unrecorded warm-up runs of each come first, then RUNS of each, interleaved as in
# bench/startup.sh. Prints medians and ratios; RESULTS=file keeps the raw runs,
# SIZES=file the stripped sizes as "name bytes". VELTRIX_EXE=file and BASELINE_EXE=file put
# other programs in the two places (bench/startup-split.sh measures its variants so).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/startup-lib.sh
windows=${1:-build/windows}
linux=${2:-build/release}
runs=${3:-21}
settle_ms=${SETTLE_MS:-400}
warmups=3
window_size=

mapwait=$linux/bench/mapwait
veltrix_exe=${VELTRIX_EXE:-$windows/Veltrix.exe}
baseline_exe=${BASELINE_EXE:-$windows/bench/startup_baseline.exe}
for f in "$mapwait" "$veltrix_exe" "$baseline_exe"; do
  [ -f "$f" ] || { echo "startup-wine.sh: $f is missing; build the windows and release presets first" >&2; exit 1; }
done
[ "$runs" -ge 15 ] || { echo "startup-wine.sh: at least 15 runs" >&2; exit 1; }

stripped=$windows/bench-wine
mkdir -p "$stripped"
sizes=${SIZES:-$(mktemp)}
: >"$sizes"
x86_64-w64-mingw32-strip -o "$stripped/Veltrix.exe" "$veltrix_exe"
x86_64-w64-mingw32-strip -o "$stripped/startup_baseline.exe" "$baseline_exe"
echo "veltrix $(stat -c %s "$stripped/Veltrix.exe")" >>"$sizes"
echo "baseline $(stat -c %s "$stripped/startup_baseline.exe")" >>"$sizes"
veltrix_cmd=(wine "$stripped/Veltrix.exe")
baseline_cmd=(wine "$stripped/startup_baseline.exe")

export WINEPREFIX=$PWD/$windows/bench-wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A server left on this prefix would have started Wine's desktop on another display.
wineserver -k 2>/dev/null || true
wineserver -w
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "startup-wine.sh: making the Wine prefix $WINEPREFIX (once, 10 to 20 s)" >&2
  DISPLAY= wineboot -i >/dev/null 2>&1
  # No window manager: unmanaged windows, or Wine waits for one at every close.
  DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
# Wine's own faces (Debian fonts-wine), which its dialogs and default fonts name.
ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  stop_private_xvfb
}
trap cleanup EXIT
start_private_xvfb
wineserver -p

raw=${RESULTS:-$(mktemp)}
interleave "$runs"
python3 bench/startup_summary.py "$raw"
awk '{ size[$1] = $2 } END { printf "stripped size [KiB]: veltrix %.1f, baseline %.1f\n", size["veltrix"] / 1024, size["baseline"] / 1024 }' "$sizes"
