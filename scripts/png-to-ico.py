#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Wraps PNG pictures into one Windows icon file (entries stored as PNG).

    png-to-ico.py <out.ico> <picture.png>...
"""
import struct
import sys


def size_of(png: bytes) -> tuple[int, int]:
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        raise SystemExit("not a PNG picture")
    return struct.unpack(">II", png[16:24])


def main() -> None:
    out, pictures = sys.argv[1], sys.argv[2:]
    if not pictures:
        raise SystemExit(__doc__)
    data = [open(p, "rb").read() for p in pictures]
    header = struct.pack("<HHH", 0, 1, len(data))
    offset = len(header) + 16 * len(data)
    entries = b""
    for png in data:
        width, height = size_of(png)
        # 256 and more is written as 0.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(data))


if __name__ == "__main__":
    main()
