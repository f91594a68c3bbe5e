#!/usr/bin/env bash
# Builds the release from a clean tree: dist/{x86,x64}/Docklets/Spacegauge with the stripped
# DLL, default.png and README.txt, and one zip of each. Fixed timestamps and file order make
# two runs give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh
version=$(sed -nE 's/^project\(Spacegauge VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
work=$root/build/release
rm -rf "$work" "$root/dist"
export SOURCE_DATE_EPOCH=1767225600  # 2026-01-01 00:00 UTC
for arch in x86 x64; do
    cmake -S "$root" -B "$work/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" >/dev/null
    cmake --build "$work/$arch" --target Spacegauge default_icon >/dev/null
    triple=$([ $arch = x86 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32)
    out=$root/dist/$arch/Docklets/Spacegauge
    mkdir -p "$out"
    "$triple-strip" -o "$out/Spacegauge.dll" "$work/$arch/stage/Docklets/Spacegauge/Spacegauge.dll"
    cp "$work/$arch/stage/Docklets/Spacegauge/default.png" "$out/"
    sed "s/@VERSION@/$version/; s/\$/\r/" release/README.txt >"$out/README.txt"
    find "$root/dist/$arch" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    (cd "$root/dist/$arch" && find Docklets | LC_ALL=C sort |
        TZ=UTC zip -X -D -q "$root/dist/spacegauge-$version-$arch.zip" -@)
done
(cd "$root/dist" && sha256sum ./*.zip)
