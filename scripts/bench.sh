#!/usr/bin/env bash
# Builds the outline benchmark (x64) and runs it under wine64: for each scenario the median,
# fastest and slowest draw, then the ratios with their targets. Usage: scripts/bench.sh
# [rounds]. Run it alone: it uses the plug-in folder and settings file of wine_tests.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${SPACEGAUGE_BUILD:-$root/build}
[ -f "$build/x64/build.ninja" ] || cmake -S "$root" -B "$build/x64" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release ${SPACEGAUGE_CMAKE_ARGS:-} \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x64.cmake" >/dev/null
cmake --build "$build/x64" -j "$(nproc)" --target outline_bench
source scripts/wine-env.sh
wine_warm
trap wine_stop EXIT
"$WINE64" "$build/x64/stage/outline_bench.exe" "$@"
