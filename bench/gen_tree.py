#!/usr/bin/env python3
"""Generates deterministic synthetic folder trees for timing duplicate searches.

  small  20,200 files of 4,096 bytes, with copies among them
  mixed  mixed sizes, copies and near-copies (20,000 files by default, 200,000 with --full)
  large  twelve 256 MiB files: some identical, some differing only near the end

Usage: gen_tree.py {small,mixed,large} DEST [--full] [--seed N]
"""
import argparse
import os
import random
import shutil

FILES_PER_FOLDER = 100


def folder_of(root, index):
    return os.path.join(root, f"d{index // (FILES_PER_FOLDER * 50):03d}", f"d{index // FILES_PER_FOLDER:05d}")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def near_copy(rng, data):
    """The same bytes with one byte changed: first, last or somewhere in between."""
    if not data:
        return data
    where = rng.choice([0, len(data) - 1, rng.randrange(len(data))])
    changed = bytearray(data)
    changed[where] ^= 0x5A
    return bytes(changed)


def small_tree(rng, root):
    originals = []
    for i in range(20200):
        roll = rng.random()
        if originals and roll < 0.35:
            data = rng.choice(originals)          # an exact copy
        elif originals and roll < 0.40:
            data = near_copy(rng, rng.choice(originals))
        else:
            data = rng.randbytes(4096)
            originals.append(data)
        write(os.path.join(folder_of(root, i), f"f{i:05d}.bin"), data)


def mixed_size(rng):
    roll = rng.random()
    if roll < 0.01:
        return 0
    if roll < 0.70:
        return rng.randint(1, 8192)
    if roll < 0.95:
        return rng.randint(8193, 40000)
    return rng.randint(40001, 120000)


def mixed_tree(rng, root, count):
    recent = []  # copies come from a window of recent originals, so memory stays small
    for i in range(count):
        roll = rng.random()
        if recent and roll < 0.20:
            data = rng.choice(recent)
        elif recent and roll < 0.25:
            data = near_copy(rng, rng.choice(recent))
        else:
            data = rng.randbytes(mixed_size(rng))
            recent.append(data)
            if len(recent) > 2000:
                recent.pop(rng.randrange(len(recent)))
        write(os.path.join(folder_of(root, i), f"m{i:06d}.dat"), data)


def large_tree(rng, root):
    size = 256 * 1024 * 1024
    bases = [rng.randbytes(size) for _ in range(4)]
    def tail_changed(data, back):
        changed = bytearray(data)
        changed[len(data) - back] ^= 0x01
        return bytes(changed)
    files = [bases[0], bases[0], bases[0],                    # three identical
             bases[1], bases[1], tail_changed(bases[1], 1),   # a pair and a near-copy (last byte)
             bases[2], tail_changed(bases[2], 5000),          # differing 5000 bytes before the end
             tail_changed(bases[2], 5000),
             bases[3], tail_changed(bases[3], size // 2),     # differing in the middle
             rng.randbytes(size)]
    for i, data in enumerate(files):
        write(os.path.join(root, f"big{i:02d}.bin"), data)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("kind", choices=["small", "mixed", "large"])
    parser.add_argument("dest")
    parser.add_argument("--full", action="store_true", help="mixed: 200,000 files (about 2.8 GB)")
    parser.add_argument("--seed", type=int, default=20261208)
    args = parser.parse_args()
    if os.path.exists(args.dest):
        shutil.rmtree(args.dest)
    rng = random.Random(args.seed)
    if args.kind == "small":
        small_tree(rng, args.dest)
    elif args.kind == "mixed":
        mixed_tree(rng, args.dest, 200000 if args.full else 20000)
    else:
        large_tree(rng, args.dest)


if __name__ == "__main__":
    main()
