#!/usr/bin/env bash
# Installs what is missing, builds, and starts Veltrix (the window needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/veltrix
