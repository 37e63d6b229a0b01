#!/usr/bin/env python3
"""Writes the small seed files of the nimbrix fuzz targets into
fuzz/corpus/<target>/: a few valid files of each format and a few edge
cases (zero sizes, truncations, odd strides). Rerun after changing a format;
compressed TIFF variants are added with tiffcp when it is installed."""
import os
import shutil
import struct
import subprocess

here = os.path.dirname(os.path.abspath(__file__))


def out(target, name, data):
    d = os.path.join(here, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)
    return os.path.join(d, name)


# BMP: 14-byte file header, 40-byte info header, palette, rows.
def bmp(width, height, bits, padded=True, colours=0, palette_entries=None, offset=None):
    rows = abs(height)
    row = width * bits // 8
    stride = (row + 3) // 4 * 4 if padded else row
    entries = palette_entries if palette_entries is not None else (
        (colours or 256) if bits == 8 else 0)
    palette = b"".join(bytes([i, i, i, 0]) for i in range(entries))
    pixels = bytes((i * 7) & 0xFF for i in range(stride * rows))
    data_at = 54 + len(palette) if offset is None else offset
    head = b"BM" + struct.pack("<IHHI", data_at + len(pixels), 0, 0, data_at)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       colours, 0)
    body = head + info + palette
    body += b"\0" * max(0, data_at - len(body))
    return body + pixels


out("bmp_reader_fuzz", "grey_3x2.bmp", bmp(3, 2, 8))
out("bmp_reader_fuzz", "grey_topdown.bmp", bmp(5, -3, 8))
out("bmp_reader_fuzz", "grey_16_colours.bmp", bmp(4, 2, 8, colours=16))
out("bmp_reader_fuzz", "colour_3x2.bmp", bmp(3, 2, 24))
out("bmp_reader_fuzz", "colour_unpadded.bmp", bmp(3, 3, 24, padded=False))
out("bmp_reader_fuzz", "colour_far_pixels.bmp", bmp(2, 2, 24, offset=80))
out("bmp_reader_fuzz", "truncated.bmp", bmp(4, 4, 24)[:70])
out("bmp_reader_fuzz", "header_only.bmp", bmp(1, 1, 24)[:54])

# Raw: "w,h,length\n" then the data, or the four-number form.
out("raw_reader_fuzz", "grey_4x2.raw", b"4,2,8\n" + bytes(range(8)))
out("raw_reader_fuzz", "four_numbers.raw", b"2,2,1,3\n" + bytes(range(12)))
out("raw_reader_fuzz", "crlf.raw", b"3,1,3\r\n" + b"abc")
out("raw_reader_fuzz", "short_data.raw", b"4,4,16\n" + bytes(5))
out("raw_reader_fuzz", "negative.raw", b"-1,2,3\n")
out("raw_reader_fuzz", "huge.raw", b"2147483647,2147483647,1,4\n")
out("raw_reader_fuzz", "empty_data.raw", b"0,0,0\n")

# Sequence: 40-byte header, then records of a 24-byte header and the pixels.
def sequence(width, height, bits, numbers, count=None, first=None):
    pic = width * height * ((bits + 7) // 8)
    count = len(numbers) if count is None else count
    first = (numbers[0] if numbers else 0) if first is None else first
    head = struct.pack("<10i", 1, 40, 1, width, height, bits, 0, 1, count, first)
    body = b""
    for i, n in enumerate(numbers):
        body += struct.pack("<6i", 2, 24 + pic, n, i, 0, 0)
        body += bytes((n + j) & 0xFF for j in range(pic))
    return head + body


out("sequence_reader_fuzz", "three_grey.seq", sequence(4, 3, 8, [7, 8, 9]))
out("sequence_reader_fuzz", "colour.seq", sequence(2, 2, 24, [0, 1]))
out("sequence_reader_fuzz", "sixteen_bit.seq", sequence(3, 1, 16, [5]))
out("sequence_reader_fuzz", "empty.seq", sequence(8, 8, 8, []))
out("sequence_reader_fuzz", "count_past_end.seq", sequence(2, 2, 8, [1, 2], count=9))
out("sequence_reader_fuzz", "cut_record.seq", sequence(4, 4, 8, [1, 2])[:40 + 24 + 16 + 10])
out("sequence_reader_fuzz", "header_only.seq", sequence(1, 1, 8, [])[:40])


# TIFF: little-endian, one uncompressed strip.
def tiff(width, height, bits, samples, big_endian=False):
    e = ">" if big_endian else "<"
    pixels = bytes((i * 13) & 0xFF for i in range(width * height * samples * bits // 8))
    entries = [
        (256, 4, 1, width), (257, 4, 1, height), (258, 3, 1, bits), (259, 3, 1, 1),
        (262, 3, 1, 2 if samples == 3 else 1), (273, 4, 1, 0), (277, 3, 1, samples),
        (278, 4, 1, height), (279, 4, 1, len(pixels)), (284, 3, 1, 1),
    ]
    ifd_at = 8
    data_at = ifd_at + 2 + 12 * len(entries) + 4
    bits_at = None
    extra = b""
    if samples > 1:  # bits per sample is a list stored after the IFD
        bits_at = data_at
        extra = struct.pack(e + "%dH" % samples, *([bits] * samples))
        data_at += len(extra)
    out_b = (b"MM" if big_endian else b"II") + struct.pack(e + "HI", 42, ifd_at)
    out_b += struct.pack(e + "H", len(entries))
    for tag, typ, n, value in entries:
        if tag == 273:
            value = data_at
        if tag == 258 and bits_at is not None:
            out_b += struct.pack(e + "HHII", tag, typ, samples, bits_at)
            continue
        if typ == 3:
            out_b += struct.pack(e + "HHIHH", tag, typ, n, value, 0)
        else:
            out_b += struct.pack(e + "HHII", tag, typ, n, value)
    out_b += struct.pack(e + "I", 0)
    return out_b + extra + pixels


grey = out("tiff_reader_fuzz", "grey_4x3.tif", tiff(4, 3, 8, 1))
out("tiff_reader_fuzz", "grey16_big_endian.tif", tiff(3, 2, 16, 1, big_endian=True))
rgb = out("tiff_reader_fuzz", "rgb_2x2.tif", tiff(2, 2, 8, 3))
out("tiff_reader_fuzz", "truncated.tif", tiff(8, 8, 8, 1)[:100])
if shutil.which("tiffcp"):
    for src, stem in ((grey, "grey"), (rgb, "rgb")):
        for c in ("lzw", "packbits", "zip"):
            dst = os.path.join(here, "corpus", "tiff_reader_fuzz", "%s_%s.tif" % (stem, c))
            subprocess.run(["tiffcp", "-c", c, src, dst], check=True)
