#!/bin/sh
# Runs a cross-built Windows program under Wine for CTest: headless, quiet, with its own Wine
# prefix in the build tree (created on first use, about half a minute) so no home directory is touched.
# The .NET and HTML runtimes are switched off: the tests need neither, and Wine would
# otherwise try to install them while creating the prefix.
prefix="$(cd "$(dirname "$1")" && pwd)"
while [ ! -f "$prefix/CMakeCache.txt" ] && [ "$prefix" != / ]; do prefix="$(dirname "$prefix")"; done
export WINEPREFIX="$prefix/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
# One Wine server for the whole test run: it stays 30 s after the last program ends instead of
# 3 s, so that each test does not wait for the previous server to shut down before its own starts
# (that alone cost seconds per test). A second start for the same prefix just exits. Its output
# goes nowhere, or CTest would wait for the server to close the pipe it inherited.
wineserver -p30 </dev/null >/dev/null 2>&1 || true
# Wine's own background services inherit the output of the program that started them and outlive
# it; they must not hold CTest's pipes open, so the output goes through files.
out="$(mktemp)" err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$@" </dev/null >"$out" 2>"$err" || status=$?
# Now and then, on a loaded machine, Wine fails to start a program at all: it ends at once with an
# error status before the program has written a byte. Every program run here writes something
# first, so that case alone is tried once more; a program that ran and failed is never retried.
if [ "$status" -ne 0 ] && [ ! -s "$out" ]; then
  echo "wine-run.sh: $1 ended with status $status before writing anything; starting it once more" >&2
  status=0
  wine "$@" </dev/null >"$out" 2>"$err" || status=$?
fi
cat "$out"
cat "$err" >&2
exit "$status"
