#!/usr/bin/env bash
# The long run: builds soak.exe if needed, mounts an exact-figure volume as M:, lets soak.exe
# draw one docklet for N seconds (default 600) while the settings file and the volume's free
# space change underneath, prints the resources it reports, unmounts. Exits with soak.exe's
# status: 0 when nothing crashed, failed or grew beyond its bounds.
#   scripts/soak.sh [SECONDS] [extra soak.exe options, e.g. --unmasked-fp]
# Uses the same plug-in folder as scripts/test.sh: do not run both at once on one build.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift || true
build=${SPACEGAUGE_BUILD:-$root/build}
export SPACEGAUGE_BUILD=$build

if [ -f "$build/x64/build.ninja" ]; then
    cmake --build "$build/x64" --target soak >/dev/null || exit 1
else
    scripts/build.sh || exit 1
fi
source scripts/wine-env.sh
wine_warm

volumes=$root/tests/support/volumes.sh
mountdir=$build/volumes/soak
cleanup() {
    "$volumes" unmount M "$mountdir" >/dev/null 2>&1
    wine_stop
}
trap cleanup EXIT
# 14 GB; soak.exe moves the free space around and puts these figures back at the end.
volume=()
if "$volumes" mount M "$mountdir" 15032385536 2684354560; then
    volume=(--volume M)
else
    echo "!!! no FUSE volume here: soaking on C: without changing free space"
fi

"$WINE64" "$build/x64/stage/soak.exe" --seconds "$seconds" "${volume[@]}" "$@" </dev/null
status=$?
echo "soak.exe exited with $status"
exit $status
