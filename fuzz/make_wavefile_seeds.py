#!/usr/bin/env python3
"""Writes the seed inputs of the wave-file fuzz target into corpus/wavefile:
tiny wave files (a few hundred bytes), valid ones of every accepted kind and
near-valid ones that the reader must refuse or cut. Run it again after
changing a seed; the files are committed."""

import math
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "wavefile")

PCM_SUBFORMAT = bytes([0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71])


def chunk(tag, body, size=None):
    size = len(body) if size is None else size
    pad = b"\0" if len(body) % 2 else b""
    return tag + struct.pack("<I", size) + body + pad


def fmt(channels, rate, bits, tag=1, align=None, extra=b""):
    align = channels * bits // 8 if align is None else align
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra


def extensible(channels, rate, bits, valid=None, subformat=PCM_SUBFORMAT):
    valid = bits if valid is None else valid
    extra = struct.pack("<HHI", 22, valid, 0x4) + subformat
    return fmt(channels, rate, bits, tag=0xFFFE, extra=extra)


def samples(channels, bits, frames):
    out = bytearray()
    for i in range(frames):
        v = math.sin(2 * math.pi * i / 16)
        for _ in range(channels):
            if bits == 8:
                out += struct.pack("<B", int(128 + 100 * v))
            else:
                out += struct.pack("<h", int(12000 * v))
    return bytes(out)


def riff(*chunks, size=None):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if size is None else size) + body


SEEDS = {
    "pcm8-mono-8000": riff(chunk(b"fmt ", fmt(1, 8000, 8)), chunk(b"data", samples(1, 8, 200))),
    "pcm16-stereo-11025": riff(chunk(b"fmt ", fmt(2, 11025, 16)), chunk(b"data", samples(2, 16, 60))),
    "extensible-16-mono-22050": riff(chunk(b"fmt ", extensible(1, 22050, 16)),
                                     chunk(b"data", samples(1, 16, 100))),
    "list-and-odd-chunk-first": riff(chunk(b"LIST", b"INFOISFT\x05\0\0\0synth"),
                                     chunk(b"fmt ", fmt(1, 48000, 16)),
                                     chunk(b"fact", b"\x01\0\0"),
                                     chunk(b"data", samples(1, 16, 90))),
    "data-claims-more-than-present": riff(chunk(b"fmt ", fmt(2, 16000, 16)),
                                          chunk(b"data", samples(2, 16, 40) + b"\x01", size=100000)),
    "riff-size-zero": riff(chunk(b"fmt ", fmt(1, 8000, 8)), chunk(b"data", samples(1, 8, 100)), size=0),
    "data-before-fmt": riff(chunk(b"data", samples(1, 8, 120)), chunk(b"fmt ", fmt(1, 8000, 8))),
    "bad-block-align": riff(chunk(b"fmt ", fmt(2, 8000, 16, align=3)), chunk(b"data", samples(2, 16, 30))),
    "24-bit": riff(chunk(b"fmt ", fmt(1, 8000, 24)), chunk(b"data", bytes(90))),
    "rate-96000-three-channels": riff(chunk(b"fmt ", fmt(3, 96000, 16)), chunk(b"data", bytes(96))),
    "extensible-float-subformat": riff(chunk(b"fmt ", extensible(1, 8000, 16, subformat=b"\x03" + PCM_SUBFORMAT[1:])),
                                       chunk(b"data", samples(1, 16, 50))),
    "extensible-valid-bits-too-many": riff(chunk(b"fmt ", extensible(1, 8000, 8, valid=12)),
                                           chunk(b"data", samples(1, 8, 50))),
    "fmt-cut-short": riff(chunk(b"fmt ", fmt(1, 8000, 8)[:10], size=16)),
    "no-data-chunk": riff(chunk(b"fmt ", fmt(1, 8000, 8)), chunk(b"LIST", b"INFO")),
    "huge-chunk-size": riff(chunk(b"JUNK", b"", size=0xFFFFFFFF), chunk(b"fmt ", fmt(1, 8000, 8))),
}

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(HERE, name + ".wav"), "wb") as f:
            f.write(data)
