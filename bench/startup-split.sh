#!/usr/bin/env bash
# Where Veltrix.exe's start-up under Wine differs from the yardstick's (bench/baseline_win32):
# builds variants that each add or take away one suspect and times each head to head against
# the program it differs from by that one thing, with bench/startup-wine.sh (interleaved pairs,
# so that the machine's drift falls on both alike). The whole rotation runs ROUNDS times, each
# comparison's runs pooled.
#
#   bash bench/startup-split.sh [WINDOWS_BUILD_DIR] [LINUX_BUILD_DIR] [RUNS] [ROUNDS]
#                                     defaults: build/windows build/release 21 3
#
# The comparisons, "candidate against reference", the variants built from a copy of the committed
# sources in WINDOWS_BUILD_DIR/bench-split:
#   total        Veltrix.exe as it ships against the yardstick
#   subclassing  Veltrix.exe against itself with fields not subclassed (keys go unheard)
#   runtime      the yardstick linked with calc and the static C++ runtime, which its start runs
#                (static initialisers, a wide string, a try block), against the yardstick
#   file size    the yardstick made as large as Veltrix.exe with data never read, against it
#   manifest     the yardstick with Veltrix.exe's manifest (per-monitor DPI awareness, supported
#                systems, execution level), against the yardstick
# Needs the windows and release presets built (bench/mapwait) and a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
windows=${1:-build/windows}
linux=${2:-build/release}
runs=${3:-21}
rounds=${4:-3}
work=$PWD/$windows/bench-split
src=$work/src

rm -rf "$work"
mkdir -p "$src"
git archive HEAD | tar -x -C "$src"
python3 - "$src" <<'EOF'
import pathlib, sys
src = pathlib.Path(sys.argv[1])
def patch(name, old, new):
    path = src / name
    text = path.read_text()
    assert old in text, f"{name} no longer has {old!r}: update bench/startup-split.sh"
    path.write_text(text.replace(old, new))
patch("ui/win32/amount_edit.cpp",
      "if (!SetWindowSubclass(edit, EditProc, reinterpret_cast<UINT_PTR>(&listener), DWORD_PTR(field)))",
      "if ((void)EditProc, (void)listener, (void)field, false)")
(src / "bench/baseline_win32/runtime.cpp").write_text("""#include "calc/calc.h"
#include <stdexcept>
#include <string>
std::wstring RuntimeTitle()
{
    try {
        volatile auto linked = &calc::Recalculate;
        (void)linked;
        return L"Baseline";
    } catch (const std::exception &) {
        return {};
    }
}
""")
(src / "bench/baseline_win32/padding.cpp").write_text(
    "extern const unsigned char Padding[];\nconst unsigned char Padding[460 * 1024] = {1};\n")
patch("bench/baseline_win32/main.cpp", "#include <commctrl.h>\n",
      "#include <commctrl.h>\n#ifdef WITH_RUNTIME\n#include <string>\nstd::wstring RuntimeTitle();\n#endif\n")
patch("bench/baseline_win32/main.cpp", 'CreateWindowExW(0, L"Baseline", L"Baseline",',
      'CreateWindowExW(0, L"Baseline",\n#ifdef WITH_RUNTIME\nRuntimeTitle().c_str(),\n#else\nL"Baseline",\n#endif\n')
variants = """  baseline_window(startup_runtime baseline_win32/runtime.cpp baseline_win32/baseline.rc)
  target_compile_definitions(startup_runtime PRIVATE WITH_RUNTIME)
  target_link_libraries(startup_runtime PRIVATE calc)
  baseline_window(startup_padded baseline_win32/padding.cpp baseline_win32/baseline.rc)
  baseline_window(startup_manifest baseline_win32/manifest.rc)
  set_property(SOURCE baseline_win32/manifest.rc APPEND PROPERTY INCLUDE_DIRECTORIES "${PROJECT_SOURCE_DIR}/resources")
  return()
"""
patch("bench/CMakeLists.txt", "  return()\n", variants)
(src / "bench/baseline_win32/manifest.rc").write_text('1 ICON "veltrix.ico"\n1 24 "veltrix.manifest"\n')
EOF
(cd "$src" && cmake --preset windows -DBUILD_TESTING=OFF >/dev/null &&
  cmake --build --preset windows --target veltrix startup_baseline startup_runtime startup_padded startup_manifest >/dev/null)

built=$src/build/windows
yardstick=$built/bench/startup_baseline.exe
comparisons=(
  "total|$windows/Veltrix.exe|$yardstick"
  "subclassing|$windows/Veltrix.exe|$built/Veltrix.exe"
  "runtime|$built/bench/startup_runtime.exe|$yardstick"
  "file size|$built/bench/startup_padded.exe|$yardstick"
  "manifest|$built/bench/startup_manifest.exe|$yardstick"
)
for ((round = 1; round <= rounds; round++)); do
  for comparison in "${comparisons[@]}"; do
    IFS='|' read -r name candidate reference <<<"$comparison"
    echo "round $round of $rounds: $name" >&2
    VELTRIX_EXE=$candidate BASELINE_EXE=$reference RESULTS="$work/$name-$round.txt" SIZES="$work/$name.size" \
      bash bench/startup-wine.sh "$windows" "$linux" "$runs" >/dev/null
  done
done
for comparison in "${comparisons[@]}"; do
  IFS='|' read -r name candidate reference <<<"$comparison"
  echo "== $name: ${candidate##*/} against ${reference##*/}, $rounds rounds of $runs pairs pooled"
  cat "$work/$name"-*.txt >"$work/$name.txt"
  python3 bench/startup_summary.py "$work/$name.txt" | sed -n '2,6p'
  awk '{ printf "stripped size [KiB]: %s %.1f\n", $1 == "veltrix" ? "candidate" : "reference", $2 / 1024 }' "$work/$name.size"
done
