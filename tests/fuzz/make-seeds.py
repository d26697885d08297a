#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the fuzz targets' seed corpora into corpus/<target>/.

The seeds are committed; run this again only to change them. JPEG seeds need cjpeg
(libjpeg-turbo-progs) and, for the CMYK one, ImageMagick's convert.
"""
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- list files, as the program writes them and as people edit them ---------------------

LISTS = {
    "header-only.def": "/ [root],/home/u/Pictures/,1\r\n",
    "three-entries.def": (
        "/ [root],/home/u/Pictures/,1\r\n"
        "/home/u/Pictures/,sunset.bmp,/home/u/Pictures/sunset.bmp,0\r\n"
        "/media/u/CD [PHOTOS]/,海.JPG,/opt/velmora/Pic/海.JPG,1\r\n"
        "/home/u/壁紙/,桜 の 写真.jpeg,/home/u/壁紙/桜 の 写真.jpeg,0\r\n"),
    "quoted.def": (
        "/ [root],\" /home/u/lead blank/\",0\r\n"
        "/p/,\"a,b.bmp\",\"/p/a,b.bmp\",0\r\n"
        "/p/,\"two\r\nlines.jpg\",\"/p/two\r\nlines.jpg\",0\r\n"
        "\"\t/tab/\",x.bmp,\"\t/tab/x.bmp\",0\r\n"),
    "lf-only.def": "/ [root],/srv/pics/,0\n/srv/pics/,a.bmp,/srv/pics/a.bmp,0\n",
    "cr-only.def": "/ [root],/srv/pics/,0\r/srv/pics/,a.bmp,/srv/pics/a.bmp,0\r",
    "incomplete-entry.def": "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp\r\n",
    "two-header-items.def": "/ [root],/home/u/\r\n",
    "byte-order-mark.def": "\ufeff/ [root],/home/u/,1\r\n/home/u/,a.bmp,/home/u/a.bmp,0\r\n",
    "blanks-before-items.def": "  / [root], \t/home/u/,  1\r\n   /p/,  a.bmp,\t/p/a.bmp, 0\r\n",
    "text-after-quote.def": "\"/ [root]\"junk,\"/p/\" ,1\r\n\"/p/\"x,a.bmp,/p/a.bmp,\"0\"\r\n",
    "open-quote.def": "/ [root],/p/,1\r\n/p/,\"a.bmp,/p/a.bmp,0\r\n",
    "no-final-line-end.def": "/ [root],/p/,1\r\n/p/,a.bmp,/p/a.bmp,0",
    "empty-fields.def": ",,\r\n,,,\r\n",
    "quote-inside.def": "/ [root],/p/,1\r\n/p/,say \"hi\".bmp,/p/say \"hi\".bmp,0\r\n",
    "blank-lines.def": "/ [root],/p/,1\r\n\r\n\r\n/p/,a.bmp,/p/a.bmp,0\r\n\r\n",
}


def lists():
    for name, text in LISTS.items():
        put("list_reader", name, text.encode("utf-8"))
    put("list_reader", "empty.def", b"")
    # A name in Latin-1, as an old file system may hand it over: not UTF-8.
    put("list_reader", "latin1-name.def",
        b"/ [root],/p/,1\r\n/p/,caf\xe9.bmp,/p/caf\xe9.bmp,0\r\n")
    # Lists from the Windows form, in code page 932 with Windows paths and NEC/IBM
    # extensions, and from text editors, UTF-16 behind its byte-order mark.
    windows = ("C:\\,C:\\壁紙\\,1\r\n"
               "C:\\壁紙\\,①ⅰ纊～ｱ.bmp,C:\\壁紙\\①ⅰ纊～ｱ.bmp,0\r\n"
               "A:\\,\"海,空.jpg\",C:\\Velmora\\Pic\\海.jpg,1\r\n")
    put("list_reader", "cp932.def", windows.encode("cp932"))
    put("list_reader", "cp932-undecodable.def",
        windows.encode("cp932") + b"C:\\,\x81\x20.bmp,C:\\x.bmp,0\r\n")
    put("list_reader", "utf16le.def", b"\xff\xfe" + windows.encode("utf-16-le"))
    put("list_reader", "utf16be.def", b"\xfe\xff" + windows.encode("utf-16-be"))
    put("list_reader", "utf16le-lone-surrogate.def",
        b"\xff\xfe" + "d,f,1\r\n".encode("utf-16-le") + b"\x00\xd8,\x00")
    long = "/ [root],/data/walls/,1\r\n" + "".join(
        f"/data/walls/,w{i:03}.jpg,/data/walls/w{i:03}.jpg,{i % 2}\r\n" for i in range(40))
    put("list_reader", "long.def", long.encode("utf-8"))

    # list_roundtrip: a mode byte (even: UTF-8, odd: UTF-16 code units), then fields
    # separated by U+001E.
    def fields_utf8(*fields):
        return b"\x00" + "\x1e".join(fields).encode("utf-8")

    def fields_utf16(*units):
        return b"\x01" + b"".join(struct.pack("<H", u) for u in units)

    put("list_roundtrip", "plain", fields_utf8(
        "/ [root]", "/home/u/", "1", "/home/u/", "a.bmp", "/home/u/a.bmp", "0"))
    put("list_roundtrip", "needs-quotes", fields_utf8(
        " lead", "a,b", "x\r\ny", "\tt/", "\"q", "/p/\"q", "0"))
    put("list_roundtrip", "japanese", fields_utf8(
        "/media/u/CD [写真]", "/media/u/CD [写真]/海/", "1",
        "/media/u/CD [写真]/海/", "海.JPG", "/opt/velmora/Pic/海.JPG", "1"))
    put("list_roundtrip", "unstorable", fields_utf8("d", "f", "1", "a,\"b", "c", "d", "0"))
    put("list_roundtrip", "empty", b"\x00")
    put("list_roundtrip", "surrogates", fields_utf16(
        0x2F, 0xD83D, 0xDE00, 0x1E, 0x61, 0x1E, 0x31, 0x1E, 0xDC00, 0x1E, 0xFEFF, 0x62))


# --- pictures: every kind of bitmap the reader knows and the common JPEG kinds ----------

def bmp(width, height, bits, pixels, compression=0, palette=(), header=40, masks=(),
        colors_used=0, info_extra=b""):
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        pal = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression,
                           len(pixels), 2835, 2835, colors_used, 0)
        if header > 40:
            extra = b"".join(struct.pack("<I", m) for m in masks) + info_extra
            info += extra.ljust(header - 40, b"\x00")[: header - 40]
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
        if header == 40 and masks:
            pal = b"".join(struct.pack("<I", m) for m in masks) + pal
    offset = 14 + len(info) + len(pal)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + pal + pixels


def rows(width, height, bytes_per_pixel_fn, bits):
    out = b""
    stride = (width * bits + 31) // 32 * 4
    for y in range(height):
        row = bytes_per_pixel_fn(y)
        out += row.ljust(stride, b"\x00")
    return out


def pictures():
    grey = [(i * 85, 255 - i * 85, (i * 40) % 256) for i in range(4)]
    put("picture", "bgr24.bmp", bmp(5, 3, 24, rows(5, 3, lambda y: bytes(
        (x * 50 + y * 30 + c * 70) % 256 for x in range(5) for c in range(3)), 24)))
    put("picture", "bgr24-top-down.bmp", bmp(3, -4, 24, rows(3, 4, lambda y: bytes(
        (x * 90 + y * 20 + c) % 256 for x in range(3) for c in range(3)), 24)))
    put("picture", "mono.bmp", bmp(11, 3, 1, rows(11, 3, lambda y: bytes([0xA5 ^ y, 0x80]), 1),
                                  palette=[(0, 0, 0), (255, 255, 255)]))
    put("picture", "palette4.bmp", bmp(7, 2, 4, rows(7, 2, lambda y: bytes([0x01, 0x23, 0x10, 0x30]), 4),
                                       palette=grey))
    put("picture", "palette8-short.bmp", bmp(6, 2, 8, rows(6, 2, lambda y: bytes([0, 1, 2, 3, 9, 200]), 8),
                                             palette=grey, colors_used=4))
    rle8 = bytes([3, 1, 0, 3, 2, 0, 3, 0, 0, 0, 0, 2, 2, 1, 4, 2, 0, 0, 0, 1])
    put("picture", "rle8.bmp", bmp(9, 4, 8, rle8, compression=1, palette=grey))
    rle4 = bytes([5, 0x12, 0, 4, 0x31, 0x20, 0, 0, 4, 0x33, 0, 1])
    put("picture", "rle4.bmp", bmp(9, 3, 4, rle4, compression=2, palette=grey))
    put("picture", "rgb555.bmp", bmp(3, 2, 16, rows(3, 2, lambda y: struct.pack("<3H", 0x7C00, 0x03E0 | y, 0x001F), 16)))
    put("picture", "rgb565-fields.bmp", bmp(3, 2, 16, rows(3, 2, lambda y: struct.pack("<3H", 0xF800, 0x07E0, 0x001F + y), 16),
                                            compression=3, masks=(0xF800, 0x07E0, 0x001F)))
    put("picture", "bgrx32.bmp", bmp(2, 2, 32, rows(2, 2, lambda y: bytes([1, 2, 3, 0, 200, 100, 50, 0]), 32)))
    put("picture", "argb32-v5.bmp", bmp(2, -2, 32, rows(2, 2, lambda y: bytes([10, 20, 30, 128, 200, 100, 50, 255]), 32),
                                        compression=3, header=124,
                                        masks=(0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)))
    put("picture", "fields-v4.bmp", bmp(2, 1, 32, bytes([0x12, 0x34, 0x56, 0x78] * 2), compression=3, header=108,
                                        masks=(0x000003FF, 0x000FFC00, 0x3FF00000, 0)))
    put("picture", "core-header8.bmp", bmp(3, 2, 8, rows(3, 2, lambda y: bytes([0, 1, 2]), 8), header=12,
                                           palette=grey))
    put("picture", "core-header24.bmp", bmp(2, 2, 24, rows(2, 2, lambda y: bytes(range(6)), 24), header=12))

    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "in.ppm")
        w, h = 19, 13
        with open(ppm, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (w, h))
            f.write(bytes((x * 13 + c * 60) % 256 if c < 2 else (y * 19) % 256
                          for y in range(h) for x in range(w) for c in range(3)))
        variants = {
            "baseline.jpg": [],
            "progressive.jpg": ["-progressive"],
            "grey.jpg": ["-grayscale"],
            "arithmetic.jpg": ["-arithmetic"],
            "restart.jpg": ["-restart", "1B", "-optimize"],
            "sampling-444.jpg": ["-sample", "1x1"],
            "sampling-422.jpg": ["-sample", "2x1"],
        }
        for name, args in variants.items():
            data = subprocess.run(["cjpeg", "-quality", "50"] + args + [ppm], check=True,
                                  capture_output=True).stdout
            put("picture", name, data)
        cmyk = os.path.join(tmp, "cmyk.jpg")
        subprocess.run(["convert", ppm, "-colorspace", "CMYK", "-quality", "50", cmyk], check=True)
        with open(cmyk, "rb") as f:
            put("picture", "cmyk.jpg", f.read())


if __name__ == "__main__":
    lists()
    pictures()
