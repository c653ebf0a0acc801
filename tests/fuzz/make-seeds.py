#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (corpus/<target>/): small inputs that reach each
walk and each computation with answers a real unit gives and with hostile ones. Run it again after
changing an input format; libFuzzer only reads these files."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def word(*values):
    return b"".join(struct.pack("<i", v) for v in values)


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- driver_answers: the port's answer stream (FuzzPort.h) ----

def opens(ok=True):
    return bytes([1 if ok else 0])


def answer(data, ok=True, size=None):
    """A request whose driver writes data as a prefix (or the whole buffer of that size)."""
    flag = 1 if ok else 0
    if size is not None and len(data) == size:
        return bytes([flag | 2 << 1]) + data
    if len(data) < 256:
        return bytes([flag | 1 << 1, len(data)]) + data
    return bytes([flag | 3 << 1]) + struct.pack("<H", len(data)) + data


def silent(ok=True):
    """A request whose driver writes nothing."""
    return bytes([1 if ok else 0])


def control(data, ok=True, size=None):
    return opens() + answer(data, ok, size)


def record(level=5, offsets=(1, 0, 1, 0), rate_match=0, options=(0, 0, 1, 1, 0, 0, 0)):
    rows = b"".join(word(rate, *range(1, 7)) for rate in
                    (44100, 48000, 88200, 96000, 176400, 192000, 352800))
    rows += bytes(280 - len(rows))
    opt1, opt2, opt3, opt4, opt5, opt6, opt7 = options
    return rows + word(opt1, opt2, level, opt3, rate_match, *offsets, 0, opt4, opt5, opt6, opt7)


DESCRIPTOR = bytes([0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x34, 0x12, 0x40, 0x33,
                    0x00, 0x01, 0x01, 0x02, 0x00, 0x01])
RATES = (44100, 48000, 88200, 96000, 176400, 192000, 352800)


def descriptor(data=DESCRIPTOR, length=None):
    return word(0, len(data) if length is None else length) + data


def rate_queries(offered):
    return b"".join(control(word(0, r, 1 if r in offered else 0)) for r in RATES)


# The demo: units in slots 0 and 1, a stream at 48 kHz on slot 0, its audio side in use.
demo = bytes([0xFF])
demo += opens() + control(record(level=3) + word(1), size=340)            # read
demo += opens() * 2 + opens(False) * 2 + opens() * 2 + opens(False) * 2   # presence
demo += control(word(0, 48000, 48000) + bytes([0, 0]))                   # clock
demo += rate_queries((44100, 48000, 88200, 96000))
demo += control(word(0, 1, 48000))                                        # stream
demo += control(descriptor()) + control(word(0, 48000))                   # reference rate
demo += control(descriptor()) + control(word(0))
demo += opens(False) * 2
demo += opens() + control(record(level=3) + word(1), size=340)            # write: 1 and 2
demo += opens() + control(record(level=3) + word(2), size=340)
demo += opens(False) * 2
demo += opens() + control(word(1))                                        # in use
write("driver_answers", "demo-two-units", demo)

# One unit in slot 3, no stream: the reference rate comes from the last slot alone.
last = bytes([0xFF])
last += opens(False) * 3 + opens() + control(record() + word(1), size=340)   # read
last += opens(False) * 3 + opens() + opens(False) * 3 + opens()             # presence
last += control(word(0, 44100, 48000) + bytes([1, 1]))                     # clock of slot 3
last += rate_queries((44100, 48000))
last += opens(False) * 3 + control(word(0, 0, 0))                          # no stream
last += opens(False) * 3 + control(descriptor()) + control(word(0, 44100))
last += opens(False) * 3 + opens() + control(record() + word(3), size=340)
last += opens(False) * 3 + opens() + control(word(0))
write("driver_answers", "slot-3-only", last)

# Four units and the reference rule: same descriptor with the flag, a different one without,
# a length beyond the data area, a negative length.
four = bytes([0x20, 0])
four += control(descriptor()) + control(word(0, 96000))
four += control(descriptor()) + control(word(1)) + control(word(0, 96000))
four += control(descriptor(DESCRIPTOR[:-1] + b"\x02")) + control(word(0)) + control(word(7, 96000))
four += control(descriptor(length=4000)) + control(word(0)) + control(word(0, 96000))
write("driver_answers", "reference-four-units", four)

hostile = bytes([0x20, 0])
hostile += control(descriptor(bytes(2048), length=2048), size=2056) + control(word(0, 384001))
hostile += control(descriptor(bytes(2048), length=2048), size=2056) + control(word(1)) + \
    control(word(0, 384001))
hostile += control(descriptor(length=-1)) + control(word(0)) + control(word(0, 384001))
hostile += control(descriptor(length=0x7FFFFFFF)) + control(word(1))
write("driver_answers", "reference-hostile-lengths", hostile)

# Equal lengths just beyond the data area: such descriptors count as differing.
beyond = bytes([0x20, 0])
beyond += control(descriptor(bytes(8), length=2049)) + control(word(0, 48000))
beyond += control(descriptor(bytes(8), length=2049)) + control(word(0)) + control(word(0, 48000))
beyond += control(descriptor(bytes(8), length=2056)) + control(word(1))
beyond += control(descriptor(bytes(8), length=2049)) + control(word(1))
write("driver_answers", "reference-equal-lengths-beyond", beyond)

# Answers that fail after writing, a read with a zero result word, a write merging 3 and then 1.
failing = bytes([0xFF])
failing += opens() + control(record(level=-7, offsets=(1, -100, 1, 100)) + word(0), size=340)
failing += (opens() + opens(False)) * 4                                     # slots 0 and 2
failing += opens() + answer(word(0x2A, 705600, 768000) + bytes([1, 0]), ok=False)
failing += opens() + answer(word(0, 1, -48000), ok=False) + opens(False) + \
    control(word(0, 0, 0)) + opens(False)
failing += control(descriptor(), ok=False) + opens(False) + control(descriptor()) + \
    opens() + silent(False) + opens(False)
failing += opens() + control(record(level=100) + word(3), size=340)
failing += opens(False) + opens() + control(record() + word(1), size=340) + opens(False)
failing += opens() + opens() + answer(word(5), ok=False) + opens(False) + opens() + \
    control(word(0)) + opens(False)
write("driver_answers", "failures-and-merges", failing)

write("driver_answers", "nothing-opens", bytes([0xFF]) + bytes(40))
write("driver_answers", "read-only",
      bytes([0x01]) + opens() + control(record() + word(1), size=340))
write("driver_answers", "clock-external", bytes([0x04, 2]) +
      control(word(0, 96000, 96000) + bytes([1, 1, 9, 9, 9, 9, 9, 9]), size=20))

# ---- level_model: record, changes for the equality test, rates ----

def rates(*values, edges=()):
    out = b"".join(bytes([0]) + word(v) for v in values)
    for edge, delta in edges:
        out += bytes([1 | edge << 1 | (delta + 1) << 4]) + word(0)
    return out


all_edges = [(e, d) for e in range(8) for d in (-1, 0, 1)]
write("level_model", "level-5-common-rates",
      record() + bytes([0]) + rates(44100, 48000, 96000, 192000, 384000))
write("level_model", "level-9-offsets-beyond",
      record(level=9, offsets=(1, -100, 1, 100)) + bytes([1, 76]) + word(-70) +
      rates(384001, 705600, 768000))
write("level_model", "level-0-disabled-offsets",
      record(level=0, offsets=(0, 5, 0, -5)) + bytes([2, 76, 99, 0, 0, 0, 78, 1, 0, 0, 0]) +
      rates(edges=all_edges))
write("level_model", "level-out-of-range",
      record(level=-2147483648, offsets=(7, -2147483648, -1, 2147483647)) + bytes([1, 72]) +
      word(2147483647) + rates(-1, 0, 2147483647, -2147483648, 63160989, 63160990))
write("level_model", "short-record", record(level=4)[:290])

# ---- text_format: mode 0 (format and arguments), 1 (tokens), 2 (replacement) ----

def units(text):
    out = b""
    for ch in text:
        code = ord(ch)
        out += bytes([code]) if code < 0xFF else bytes([0xFF, code >> 8, code & 0xFF])
    return out


def fmt(text, *args):
    out = bytes([0, len(args)])
    for a in args:
        if a is None:
            out += bytes([2])
        elif isinstance(a, int):
            out += bytes([0]) + word(a)
        else:
            data = units(a)
            out += bytes([1, len(data)]) + data
    return out + units(text)


write("text_format", "asio-en", fmt("%5d samples (%6d Hz)", 256, 44100))
write("text_format", "asio-ja", fmt("%5d サンプル (%6d Hz)", 2048, -2147483648))
write("text_format", "asio-fr", fmt("%5d échantillons (%6d Hz)", 1312, 384001))
write("text_format", "rate-item", fmt("%6d Hz", 352800))
write("text_format", "running-rate", fmt("%6dHz", 48000, 0))
write("text_format", "device-item", fmt("%s(%d)", "KESTAL-3 5 9", 4))
write("text_format", "notice-de", fmt("Die Abtastrate des Geräts wurde geändert (%6d Hz). Bitte "
                                      "starten Sie das verwendete Programm neu.", 44100, 0))
write("text_format", "flags-widths", fmt("%-05d|%05d|%0-8s|%-1025d|%99999999999d|%", -42, -42,
                                         "ab", 7, 1))
write("text_format", "wrong-kinds", fmt("%s %d %s %d %x %%d %5%", 3, "three", None, None))
write("text_format", "mutex-name", fmt("com.kestal-audio-works.%s", "Tkdp3340.exe"))
write("text_format", "tokens", bytes([1]) + bytes(range(1, 64)))


def replace(text, old, new):
    t, o, n = units(text), units(old), units(new)
    return bytes([2, len(t)]) + t + bytes([len(o)]) + o + n


write("text_format", "title-model", replace("__MODEL__ Driver Settings", "__MODEL__",
                                            "KESTAL-3 5 9"))
write("text_format", "version", replace("Version __VERSION__ (__VERSION__)", "__VERSION__",
                                        "Ver.1.0.0"))
write("text_format", "overlap", replace("aaaaab", "aa", "a"))
write("text_format", "grows", replace("ababab", "ab", "abab"))
