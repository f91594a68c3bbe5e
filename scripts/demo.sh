#!/usr/bin/env bash
# The main job: build, then let the reference host load the fresh x64 DLL, create one docklet
# with the shipped defaults (no settings file), draw it at 128 x 128 and save it as a PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${SPACEGAUGE_BUILD:-$root/build}
export SPACEGAUGE_BUILD=$build
scripts/deps.sh
scripts/build.sh >/dev/null
source scripts/wine-env.sh
wine_warm
stage=$build/x64/stage
rm -f "$stage/Docklets/Spacegauge/settings.ini"
out=$("$WINE64" "$stage/refhost.exe" --test 2>&1 | tr -d '\r')
caption=$(grep -m1 '^  caption ' <<<"$out" | sed 's/^  caption //')
echo "caption: $caption"
echo "image:   $stage/docklet.png"
wine_stop
