#!/usr/bin/env bash
# Builds the three trees: native (portable logic and its tests), x64 (DLL, reference host,
# Windows-side tests under wine64) and x86 (the product DLL and its reference host).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${SPACEGAUGE_BUILD:-$root/build}
jobs=$(nproc)

configure() {  # dir [cmake args...]
    local dir=$1; shift
    [ -f "$build/$dir/build.ninja" ] || cmake -S "$root" -B "$build/$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release ${SPACEGAUGE_CMAKE_ARGS:-} "$@" >/dev/null
}
configure native
configure x64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x64.cmake"
configure x86 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86.cmake"
for dir in native x64 x86; do
    echo "[build] $dir"
    cmake --build "$build/$dir" -j "$jobs"
done
