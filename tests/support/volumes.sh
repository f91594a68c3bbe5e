#!/bin/bash
# Exact-figure test volumes as Wine drive letters in $WINEPREFIX.
#   volumes.sh mount LETTER MOUNTDIR TOTAL FREE   (figures: multiples of 4096 bytes)
#   volumes.sh unmount LETTER MOUNTDIR
# Both may be repeated: mount replaces a volume already there, unmount of nothing is fine.
set -euo pipefail

here=$(dirname "$(readlink -f "$0")")

link() { echo "${WINEPREFIX:?WINEPREFIX must be set}/dosdevices/${1,,}:"; }

unmount() {
    rm -f "$(link "$1")"
    # findmnt also sees a mount whose daemon has died, which mountpoint cannot stat.
    if findmnt -rn --mountpoint "$2" >/dev/null; then
        fusermount3 -u "$2" 2>/dev/null || umount -l "$2"
    fi
}

mount() {
    unmount "$1" "$2"
    mkdir -p "$2"
    /usr/bin/python3 "$here/figures_fs.py" "$2" "$3" "$4"
    for _ in $(seq 50); do
        mountpoint -q "$2" && break
        sleep 0.1
    done
    mountpoint -q "$2" || { echo "volumes.sh: $2 did not mount" >&2; exit 1; }
    ln -sfn "$(readlink -f "$2")" "$(link "$1")"
}

usage() {
    echo "usage: volumes.sh mount LETTER MOUNTDIR TOTAL FREE | unmount LETTER MOUNTDIR" >&2
    exit 2
}

case "${1:-}:$#" in
mount:5) mount "$2" "$3" "$4" "$5" ;;
unmount:3) unmount "$2" "$3" ;;
*) usage ;;
esac
