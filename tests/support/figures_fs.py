#!/usr/bin/python3
"""A volume whose size tests choose.

Usage: figures_fs.py MOUNTDIR TOTAL FREE [--foreground]

The volume holds one file, `figures`, whose text is "TOTAL FREE" in decimal bytes.
statfs reports exactly those figures (both as free and as caller-available space).
Writing a new pair into the file, from Linux or through a Wine drive letter, takes
effect when the writer closes it; text that is not two whole numbers, with
TOTAL >= FREE and both multiples of 4096, is kept but changes nothing.
Unmount with `fusermount3 -u MOUNTDIR` or `umount MOUNTDIR`.
"""

import argparse
import errno
import os
import stat
import time

from fusepy import FUSE, FuseOSError, Operations

FIGURES = "/figures"
# Wine counts f_blocks in units of f_bsize and then in whole 4096-byte clusters, so only
# multiples of 4096 come through exactly.
BLOCK = 4096


def parse_figures(text):
    parts = text.split()
    if len(parts) != 2 or not all(p.isdigit() for p in parts):
        return None
    total, free = int(parts[0]), int(parts[1])
    if free > total or total % BLOCK or free % BLOCK:
        return None
    return total, free


class FiguresFs(Operations):
    def __init__(self, total, free):
        self.figures = (total, free)
        self.data = f"{total} {free}\n".encode()
        self.started = time.time()

    def getattr(self, path, fh=None):
        now = self.started
        if path == "/":
            return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, st_size=0,
                        st_atime=now, st_mtime=now, st_ctime=now)
        if path == FIGURES:
            return dict(st_mode=stat.S_IFREG | 0o666, st_nlink=1, st_size=len(self.data),
                        st_atime=now, st_mtime=now, st_ctime=now)
        raise FuseOSError(errno.ENOENT)

    def readdir(self, path, fh):
        return [".", "..", FIGURES[1:]]

    def open(self, path, flags):
        if path != FIGURES:
            raise FuseOSError(errno.ENOENT)
        if flags & os.O_TRUNC:
            self.truncate(path, 0)
        return 0

    def create(self, path, mode, fi=None):
        if path != FIGURES:
            raise FuseOSError(errno.EACCES)
        self.truncate(path, 0)
        return 0

    def read(self, path, size, offset, fh):
        return self.data[offset:offset + size]

    def write(self, path, data, offset, fh):
        head = self.data[:offset].ljust(offset, b"\0")
        self.data = head + data + self.data[offset + len(data):]
        return len(data)

    def truncate(self, path, length, fh=None):
        if path != FIGURES:
            raise FuseOSError(errno.EACCES)
        self.data = self.data[:length].ljust(length, b"\0")

    # close() of every descriptor sends flush and waits for it, so a writer that has
    # closed the file sees the new figures in its next query.
    def flush(self, path, fh):
        parsed = parse_figures(self.data.decode("latin-1"))
        if parsed:
            self.figures = parsed
        return 0

    def release(self, path, fh):
        return self.flush(path, fh)

    def statfs(self, path):
        total, free = self.figures
        return dict(f_bsize=BLOCK, f_frsize=BLOCK, f_blocks=total // BLOCK,
                    f_bfree=free // BLOCK, f_bavail=free // BLOCK,
                    f_files=1, f_ffree=0, f_favail=0, f_namemax=255)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mountdir")
    parser.add_argument("total", type=int)
    parser.add_argument("free", type=int)
    parser.add_argument("--foreground", action="store_true")
    args = parser.parse_args()
    if parse_figures(f"{args.total} {args.free}") is None:
        parser.error(f"need TOTAL >= FREE, both multiples of {BLOCK}")
    FUSE(FiguresFs(args.total, args.free), args.mountdir,
         foreground=args.foreground, nothreads=True, direct_io=True,
         attr_timeout=0, entry_timeout=0)


if __name__ == "__main__":
    main()
