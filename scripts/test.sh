#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; the last lines are CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The usual GCC build, then the same suite under ASan+UBSan, everything built for
# Windows (Veltrix.exe, its tests and packages) and run under Wine, and last Clang with its
# bounded fuzz runs.
for preset in default asan windows clang; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
