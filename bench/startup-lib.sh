# What bench/startup.sh and bench/startup-wine.sh share: a private X server and interleaved runs of
# the program against its yardstick through bench/mapwait. Sourced; defines functions only.
#
# The caller sets: mapwait (its path), settle_ms, raw (the file for the runs), warmups, and the
# arrays veltrix_cmd and baseline_cmd (how to start each program). window_size ("width=W
# height=H") is what both must map; left empty, the yardstick's first window sets it.

# Starts Xvfb on a display of its own and exports DISPLAY; -displayfd lets Xvfb pick a free number
# and tell us once it is listening. stop_private_xvfb ends it.
start_private_xvfb() {
  xvfb_display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_display_file" 2>/dev/null &
  xvfb_pid=$!
  local i
  for ((i = 0; i < 100; i++)); do
    [ -s "$xvfb_display_file" ] && break
    sleep 0.1
  done
  [ -s "$xvfb_display_file" ] || { echo "$0: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(head -n1 "$xvfb_display_file")
}

stop_private_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "${xvfb_display_file:-}"
}

# run_once NAME FILE: one run of veltrix or baseline, its window size checked, appended to FILE as
# "name startup_us vmhwm_kb maxrss_kb cpu_us".
run_once() {
  local -n cmd=$1_cmd
  local line
  line=$("$mapwait" "$settle_ms" "${cmd[@]}") || { echo "$0: $1 failed: $line" >&2; exit 1; }
  if [ -z "$window_size" ]; then
    window_size=$(grep -o 'width=[0-9]* height=[0-9]*' <<<"$line")
  fi
  case $line in
    *"$window_size"*) ;;
    *) echo "$0: $1 mapped a window of another size than $window_size: $line" >&2; exit 1 ;;
  esac
  echo "$1 $line" | sed -E 's/ [a-z_]+=/ /g' | cut -d' ' -f1-5 >>"$2"
}

# interleave RUNS: unrecorded warm-up runs of each (font cache, page cache, the platform's own
# background services), then RUNS of each alternating, the order swapped in every pair (A B, B A,
# ...) so that drift in the machine's load falls on both alike. The recorded runs go to $raw.
interleave() {
  local i
  for ((i = 0; i < warmups; i++)); do
    run_once baseline /dev/null
    run_once veltrix /dev/null
  done
  : >"$raw"
  for ((i = 0; i < $1; i++)); do
    if ((i % 2 == 0)); then
      run_once baseline "$raw"; run_once veltrix "$raw"
    else
      run_once veltrix "$raw"; run_once baseline "$raw"
    fi
  done
}
