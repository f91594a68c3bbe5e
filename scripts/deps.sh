#!/usr/bin/env bash
# Installs what the build and the tests need, only when something is missing (Debian 12, root).
set -euo pipefail

packages=(cmake ninja-build g++ googletest python3 zip
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 fonts-wine fonts-liberation
          fuse3 libfuse2 python3-fusepy clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "[deps] installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
