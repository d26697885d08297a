#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the hand-made hostile picture files into files/.

The files are committed; run this again only to change them. The JPEGs are made with
cjpeg (libjpeg-turbo-progs) and then damaged here.
"""
import os
import struct
import subprocess
import tempfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "files")


def put(name, data):
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def bmp(width, height, bits, pixels, compression=0, palette=(), offset=None, core=False):
    if core:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        pal = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression,
                           len(pixels), 2835, 2835, 0, 0)
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    data_offset = 14 + len(info) + len(pal) if offset is None else offset
    head = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pal) + len(pixels), 0, 0,
                               data_offset)
    return head + info + pal + pixels


def jpeg(width, height, args=()):
    """A real JPEG of a noisy picture, so that it does not compress to nothing."""
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "in.ppm")
        seed = 12345
        pixels = bytearray(width * height * 3)
        for i in range(len(pixels)):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            pixels[i] = (seed >> 16) & 0xFF
        with open(ppm, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (width, height) + bytes(pixels))
        return subprocess.run(["cjpeg", "-quality", "75", *args, ppm], check=True,
                              capture_output=True).stdout


def patch_frame_size(data, width, height):
    sof = data.index(b"\xff\xc0")
    return data[: sof + 5] + struct.pack(">HH", height, width) + data[sof + 9:]


GREY = [(0, 0, 0), (85, 85, 85), (170, 170, 170), (255, 255, 255)]


def main():
    small = jpeg(16, 16)
    # Too large to hold: refused with 7 from the header alone.
    put("jpeg-65500x65500.jpg", patch_frame_size(small, 65500, 65500))
    put("bmp-2pow30x1.bmp", bmp(1 << 30, 1, 24, b"\x00" * 4))
    put("bmp-core-65535x65535.bmp", bmp(65535, 65535, 24, b"\x00" * 64, core=True))

    # Declared pixels the file cannot hold, impossible headers: refused with 481.
    put("bmp-5000x5000-in-1k.bmp", bmp(5000, 5000, 24, b"\x7f" * (1024 - 54)))
    put("bmp-height-int32-min.bmp", bmp(4, -(1 << 31), 24, b"\x00" * 48))
    put("text-file.jpg", "これは画像ではありません。\nThis is not a picture.\n".encode("utf-8"))
    put("empty.jpg", b"")

    # Truncated files.
    whole = bmp(64, 64, 24, bytes((i * 7) % 256 for i in range(64 * 64 * 3)))
    put("bmp-truncated.bmp", whole[: len(whole) // 2])
    put("bmp-cut-in-header.bmp", whole[:30])
    put("jpeg-soi-only.jpg", b"\xff\xd8\xff")
    put("jpeg-cut-in-header.jpg", small[: small.index(b"\xff\xc0") + 6])
    put("jpeg-2000x2000-cut-to-1k.jpg", jpeg(2000, 2000, ["-quality", "30"])[:1024])

    # Run-length encoded bitmaps with impossible headers.
    rle_rows = bytes([4, 1, 0, 0]) * 4 + bytes([0, 1])
    put("rle8-top-down.bmp", bmp(4, -4, 8, rle_rows, compression=1, palette=GREY))
    put("rle8-on-4-bit-pixels.bmp", bmp(4, 4, 4, rle_rows, compression=1, palette=GREY))
    put("rle4-on-8-bit-pixels.bmp", bmp(4, 4, 8, rle_rows, compression=2, palette=GREY))
    put("rle8-data-past-end.bmp", bmp(4, 4, 8, rle_rows, compression=1, palette=GREY,
                                      offset=4096))
    put("rle8-no-palette.bmp", bmp(4, 4, 8, rle_rows, compression=1, offset=54))

    # Damaged but readable: shown as far as they go, as picture viewers do.
    cut_stream = bytes([64, 2, 0, 0]) * 3  # three rows, then the data simply stops
    put("ok-rle8-stream-cut-short.bmp", bmp(64, 64, 8, cut_stream, compression=1, palette=GREY))
    wild = bytes([255, 1, 255, 2, 0, 0,  # runs far past the row's end
                  0, 2, 200, 200,  # a move beyond the picture
                  0, 5, 1, 2, 3, 4, 3, 0,  # a literal run, padded
                  0, 2, 255, 255, 0, 0, 7, 3])  # more moves, then garbage without an end
    put("ok-rle8-wild-runs.bmp", bmp(32, 16, 8, wild, compression=1, palette=GREY))
    sparse = bytes([255, 3, 255, 3, 0, 0]) + bytes([0, 1])
    put("ok-rle8-5000x5000-in-1k.bmp",
        bmp(5000, 5000, 8, sparse.ljust(1024 - 54 - 16, b"\x00"), compression=1,
            palette=GREY))
    photo = jpeg(128, 128)
    put("ok-jpeg-cut-mid-scan.jpg", photo[: len(photo) * 3 // 5])


if __name__ == "__main__":
    main()
