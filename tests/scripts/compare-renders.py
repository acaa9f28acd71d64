#!/usr/bin/env python3
"""Compares two folders of float WAV renders file by file.

  compare-renders.py [--max-db DB] REFERENCE_DIR OTHER_DIR

Every *.wav of REFERENCE_DIR must exist in OTHER_DIR with the same sample count; the largest
sample difference, relative to the reference's peak, must lie at or below DB (default -100 dB;
identical files give -inf). Prints one line per file and the worst; exits 1 on any failure.
"""
import argparse
import array
import math
import os
import struct
import sys


def read_float_wav(path):
    """The samples of a 32-bit float WAV (format 3, or extensible with float data)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos = 12
    is_float = False
    samples = None
    while pos + 8 <= len(data):
        chunk, size = struct.unpack_from("<4sI", data, pos)
        body = data[pos + 8 : pos + 8 + size]
        if chunk == b"fmt ":
            tag, _channels, _rate, _bytes, _align, bits = struct.unpack_from("<HHIIHH", body)
            if tag == 0xFFFE and len(body) >= 26:
                tag = struct.unpack_from("<H", body, 24)[0]
            is_float = tag == 3 and bits == 32
        elif chunk == b"data":
            if not is_float:
                raise ValueError(f"{path}: not 32-bit float samples")
            samples = array.array("f")
            samples.frombytes(body[: len(body) // 4 * 4])
            if sys.byteorder != "little":
                samples.byteswap()
        pos += 8 + size + (size & 1)
    if samples is None:
        raise ValueError(f"{path}: no data chunk")
    return samples


def difference_db(reference, other):
    peak = max((abs(v) for v in reference), default=0.0)
    worst = max((abs(a - b) for a, b in zip(reference, other)), default=0.0)
    if worst == 0.0:
        return -math.inf, peak
    if peak == 0.0 or not math.isfinite(worst):
        return math.inf, peak
    return 20.0 * math.log10(worst / peak), peak


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--max-db", type=float, default=-100.0)
    parser.add_argument("reference")
    parser.add_argument("other")
    args = parser.parse_args()

    names = sorted(n for n in os.listdir(args.reference) if n.endswith(".wav"))
    if not names:
        print(f"no WAV files in {args.reference}")
        return 1
    failures = 0
    worst = -math.inf
    for name in names:
        other_path = os.path.join(args.other, name)
        try:
            reference = read_float_wav(os.path.join(args.reference, name))
            other = read_float_wav(other_path)
        except (OSError, ValueError) as error:
            print(f"{name}: {error}")
            failures += 1
            continue
        if len(reference) != len(other):
            print(f"{name}: {len(reference)} samples against {len(other)}")
            failures += 1
            continue
        db, peak = difference_db(reference, other)
        ok = db <= args.max_db
        worst = max(worst, db)
        failures += 0 if ok else 1
        print(f"{name}: peak {peak:.4f}, largest difference {db:.1f} dB of peak {'ok' if ok else 'FAIL'}")
    print(f"{len(names)} files, worst {worst:.1f} dB, limit {args.max_db:.1f} dB: "
          f"{'pass' if failures == 0 else f'{failures} FAILED'}")
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
