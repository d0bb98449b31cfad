#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus, one file per policy key that matters, into corpus/.

The layout is the one launcher_fuzz.cpp decodes: a flags byte (bit 0: the key does not open,
bit 1: CreateProcessA fails), a failure for every index past the last subkey, then one entry per
index: an even tag, a length byte and the name, or an odd tag and a failure. A failure is a
selector byte (0: 259, 1: 234, 2: 1018, 3: 5, 4: 2) or, for any other selector, a little-endian
32-bit result after it.

Run it from anywhere; it rewrites every seed and leaves other files in corpus/ alone.
"""
import os
import struct

NO_MORE_ITEMS, MORE_DATA, KEY_DELETED, ACCESS_DENIED, FILE_NOT_FOUND = 0, 1, 2, 3, 4
KEY_FAILS, START_FAILS = 1, 2


def failure(selector, value=None):
    if value is None:
        return bytes([selector])
    return bytes([0xFF]) + struct.pack("<i", value)


def name(text):
    data = text.encode("latin-1") if isinstance(text, str) else text
    assert len(data) <= 255 and b"\0" not in data
    return bytes([0, len(data)]) + data


def failing(selector, value=None):
    return bytes([1]) + failure(selector, value)


def key(*entries, past_end=failure(NO_MORE_ITEMS), flags=0):
    return bytes([flags]) + past_end + b"".join(entries)


SEEDS = {
    "v2.0-then-v4.0": key(name("v2.0"), name("v4.0")),
    "v4.0-then-v2.0": key(name("v4.0"), name("v2.0")),
    "V-alone": key(name("v4.0"), name("V")),
    "v4": key(name("v4")),
    "v4.0.30319": key(name("Standards"), name("v2.0.50727"), name("v4.0.30319")),
    "v10.0": key(name("v10.0")),
    "upper-case-V4.5": key(name("V4.5")),
    "empty-name": key(name(""), name("v4.0")),
    "name-of-255-bytes": key(name("v4.5" + "9" * 251)),
    "bytes-above-0x7f": key(name(b"v\x82\xa0\xff\x81")),
    "double-byte-lead-first": key(name(b"\x82v4.0")),
    "no-subkeys": key(),
    "failing-index-first": key(failing(MORE_DATA), name("v4.0")),
    "failure-after-a-match": key(name("v2.0"), failing(KEY_DELETED), name("v4.0")),
    "odd-failure-midway": key(name("v4.0"), failing(0xFF, -1), name("v1.1")),
    "endless-failure": key(name("v4.0"), past_end=failure(KEY_DELETED)),
    "endless-failure-from-the-start": key(past_end=failure(ACCESS_DENIED)),
    "start-fails": key(name("v4.0"), flags=START_FAILS),
    "key-missing": bytes([KEY_FAILS]) + failure(FILE_NOT_FOUND),
    "key-access-denied": bytes([KEY_FAILS]) + failure(ACCESS_DENIED),
}

corpus = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
os.makedirs(corpus, exist_ok=True)
for seed, data in SEEDS.items():
    with open(os.path.join(corpus, seed), "wb") as f:
        f.write(data)
