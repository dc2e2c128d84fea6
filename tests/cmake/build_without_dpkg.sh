#!/usr/bin/env bash
# usage: build_without_dpkg.sh SOURCE_DIR WORK_DIR CXX_COMPILER
# Configures the project and builds the program on a path that holds every tool of this one except
# dpkg's, as on a distribution outside Debian's family: the configure must pass, use no Debian
# build flags, and leave out the Debian package.
set -euo pipefail
src=$1 work=$2 cxx=$3
rm -rf "$work"
mkdir -p "$work/bin"
# The first of each name on the path, linked by one ln: a process per tool would take half a minute.
declare -A seen
tools=()
IFS=: read -ra dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
  for tool in "$dir"/*; do
    name=${tool##*/}
    case $name in dpkg | dpkg-*) continue ;; esac
    if [ -x "$tool" ] && [ -z "${seen[$name]:-}" ]; then seen[$name]=1; tools+=("$tool"); fi
  done
done
ln -s "${tools[@]}" "$work/bin/"
export PATH=$work/bin
if command -v dpkg-buildflags || command -v dpkg-shlibdeps; then
  echo "FAIL: dpkg's tools are still on the path"; exit 1
fi

# No build type: no optimiser or debugging information to pay for, while FORTIFY, which the check
# below looks for, would still be added by Debian's flags (only a Debug build goes without it).
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE= \
  -DCMAKE_CXX_COMPILER="$cxx" -DVELTRIX_BUILD_BENCH=OFF >"$work/configure.log"
cmake --build "$work/build" -j 1 --target veltrix >"$work/build.log"

# FORTIFY comes only from dpkg-buildflags here: the compiler defaults of Debian's GCC and Clang do
# not define it.
if grep -q -- '-D_FORTIFY_SOURCE' "$work/build/build.ninja"; then
  echo "FAIL: Debian's build flags were used without dpkg-buildflags"; exit 1
fi
if [ -e "$work/build/CPackConfig.cmake" ]; then
  echo "FAIL: a package target exists without dpkg"; exit 1
fi
echo "configured and built without dpkg"
