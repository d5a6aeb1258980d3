#!/usr/bin/env python3
"""Writes small picture files whose headers declare far more than they hold.

Each is a few hundred bytes; opened without checks, a decoder would allocate
hundreds of megabytes or gigabytes for it before finding the data missing.
The files go to the image decoder's fuzz corpus and to the test fixtures:

    fuzz/make_broken_declarations.py
"""
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TARGETS = [os.path.join(ROOT, "fuzz", "corpus", "image_decode_fuzz"),
           os.path.join(ROOT, "tests", "data", "images")]


def chunk(kind, payload, declared=None):
    length = len(payload) if declared is None else declared
    crc = zlib.crc32(kind + payload) & 0xFFFFFFFF
    return struct.pack(">I", length) + kind + payload + struct.pack(">I", crc)


def small_png_start():
    """Signature, header and pixels of an intact 8 x 8 RGB picture."""
    rows = b"".join(b"\0" + bytes([200, 40, 40]) * 8 for _ in range(8))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 8, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)))


def png_text_chunk_past_end(total=275, declared=1_700_000_000):
    """The picture is whole, but the text chunk after it declares 1.7 GB."""
    start = small_png_start()
    head = struct.pack(">I", declared) + b"tEXt" + b"Comment\0"
    body = b"x" * (total - len(start) - len(head))
    return start + head + body


def png_profile_chunk_past_end(declared=0x7FFFFFF0):
    """A colour-profile chunk before the pixels declares 2 GB."""
    sig_ihdr = small_png_start()[:33]
    return sig_ihdr + struct.pack(">I", declared) + b"iCCP" + b"profile\0\0" + b"\x78\x9c" + b"\0" * 200


def gif(screen, picture, data_bytes, total=None):
    """A GIF with a two-colour table and one picture whose data is
    data_bytes long (zeros: valid codes, each one pixel)."""
    out = b"GIF89a" + struct.pack("<HHBBB", screen[0], screen[1], 0x80, 0, 0) + bytes([0, 0, 0, 255, 255, 255])
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, picture[0], picture[1], 0) + b"\x02"
    blocks = b""
    remaining = data_bytes
    while remaining > 0:
        n = min(255, remaining)
        blocks += bytes([n]) + b"\0" * n
        remaining -= n
    out += blocks + b"\0" + b"\x3b"
    assert total is None or len(out) == total, len(out)
    return out


FILES = {
    # Found by a new user: the PNG library allocated the declared 1.7 GB.
    "text-chunk-past-end.png": png_text_chunk_past_end(),
    "profile-chunk-past-end.png": png_profile_chunk_past_end(),
    # The screen (9376 x 11384) is what the GIF reader allocates, 427 MB,
    # while the picture reports 1324 x 11384 and 242 bytes of data fill a
    # tiny part of it.
    "screen-larger-than-picture.gif": gif((9376, 11384), (1324, 11384), 242, total=275),
    # A whole 1 x 1 picture on a screen of 20000 x 20000.
    "screen-past-limit.gif": gif((20000, 20000), (1, 1), 2),
}

if __name__ == "__main__":
    for folder in TARGETS:
        for name, data in FILES.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    for name, data in FILES.items():
        print(f"{name}: {len(data)} bytes")
