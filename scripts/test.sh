#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; the last lines are CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
