#!/usr/bin/env python3
"""Generates deterministic synthetic folder trees for timing duplicate searches.

  small  20,200 files of 4,096 bytes, with copies among them
  mixed  mixed sizes, copies and near-copies (20,000 files by default, 200,000 with --full)
  large  twelve 256 MiB files: some identical, some differing only near the end
  copies  300 identical files of 4 MiB (--count to change), for bytes read per candidate byte
  late  300 files of 4 MiB (--count) that differ from each other only at the 3 MiB mark
  mixedbucket  300 identical files of 4 MiB in the top folder, then the 300 of late below it: one
           bucket whose first file is one of the identical ones
  offsets  300 files of 4 MiB (--count), each one byte off a common original, at a random place
  pairs  300 pairs of 1 MiB files (--count pairs) with a common first and last 64 KiB, each pair
           differing from the others at a random place in between
  backups  the same 500 files of 8 KiB (of one size, so one bucket) in each of 20 folders
  crafted  8,000 different files of 64 bytes (--count) that all share one value of an unkeyed
           fingerprint of the kind the search once used, whose steps can be undone
  random  as many random files of 64 bytes, to time crafted against
  scale  1,000,000 small files (--count) in folders of 1,000, one in ten a copy, plus one folder
         holding 300,000 more directly (--big), for the window at scale

Usage: gen_tree.py {small,mixed,large,copies,late,mixedbucket,offsets,pairs,backups,crafted,random,scale} DEST
                   [--full] [--count N] [--big N] [--seed N]

"""
import struct
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


def write_stream(path, seed, size, flip_back=None):
    """size pseudo-random bytes from seed, written in chunks; optionally one byte flipped,
    flip_back bytes before the end."""
    chunk = 16 * 1024 * 1024
    rng = random.Random(seed)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        for _ in range(size // chunk):
            out.write(rng.randbytes(chunk))
    if flip_back is not None:
        with open(path, "r+b") as out:
            out.seek(size - flip_back)
            byte = out.read(1)[0]
            out.seek(size - flip_back)
            out.write(bytes([byte ^ 0x01]))


def large_tree(rng, root):
    size = 256 * 1024 * 1024
    seeds = [rng.randrange(1 << 30) for _ in range(5)]
    files = [(0, None), (0, None), (0, None),      # three identical
             (1, None), (1, None), (1, 1),         # a pair and a near-copy differing in the last byte
             (2, None), (2, 5000), (2, 5000),      # a pair differing from its original 5000 bytes before the end
             (3, None), (3, size // 2),            # differing in the middle
             (4, None)]                            # unique
    for i, (base, flip_back) in enumerate(files):
        write_stream(os.path.join(root, f"big{i:02d}.bin"), seeds[base], size, flip_back)


def copies_tree(rng, root, count):
    data = rng.randbytes(4 * 1024 * 1024)
    for i in range(count):
        write(os.path.join(folder_of(root, i), f"c{i:05d}.bin"), data)


def changed_at(data, where, value):
    changed = bytearray(data)
    changed[where:where + len(value)] = value
    return bytes(changed)


def late_files(rng, root, count, folder="late"):
    """Files alike but for two bytes at the 3 MiB mark, which tell each from every other."""
    data = rng.randbytes(4 * 1024 * 1024)
    mark = 3 * 1024 * 1024
    for i in range(count):
        write(os.path.join(root, folder, f"l{i:05d}.bin"), changed_at(data, mark, bytes([i & 0xFF, 0x80 | (i >> 8)])))
    return data


def mixed_bucket_tree(rng, root, count):
    data = late_files(rng, root, count, "zz-late")
    for i in range(count):
        write(os.path.join(root, f"c{i:05d}.bin"), data)


def offsets_tree(rng, root, count):
    data = rng.randbytes(4 * 1024 * 1024)
    for i in range(count):
        where = rng.randrange(len(data))
        write(os.path.join(folder_of(root, i), f"o{i:05d}.bin"), changed_at(data, where, bytes([data[where] ^ 0xFF])))


def pairs_tree(rng, root, count):
    size, edge = 1024 * 1024, 64 * 1024
    data = rng.randbytes(size)
    for i in range(count):
        middle = changed_at(data, rng.randrange(edge, size - edge), rng.randbytes(1 + i % 7))
        for copy in range(2):
            write(os.path.join(folder_of(root, 2 * i + copy), f"p{i:05d}-{copy}.bin"), middle)


def backups_tree(rng, root):
    originals = [rng.randbytes(8192) for _ in range(500)]
    for backup in range(20):
        for i, data in enumerate(originals):
            write(os.path.join(root, f"b{backup:02d}", f"f{i:03d}.bin"), data)


MASK = (1 << 64) - 1
MULTIPLIER = 0x9E3779B97F4A7C15


def unkeyed_step(lane, word):
    """One step of one lane of the old fingerprint: a multiply and a shift, both undoable."""
    lane = ((lane ^ word) * MULTIPLIER) & MASK
    return lane ^ (lane >> 29)


def crafted_tree(rng, root, count):
    """64 bytes are two steps of four lanes: the first 32 bytes are random, and each word of the
    next 32 is chosen so that its lane ends at the same value in every file."""
    ends = [rng.getrandbits(64) for _ in range(4)]
    for i in range(count):
        first = [rng.getrandbits(64) for _ in range(4)]
        second = [unkeyed_step(lane + 1, word) ^ end for lane, (word, end) in enumerate(zip(first, ends))]
        write(os.path.join(folder_of(root, i), f"x{i:05d}.bin"), struct.pack("<8Q", *first, *second))


def random_tree(rng, root, count):
    for i in range(count):
        write(os.path.join(folder_of(root, i), f"r{i:05d}.bin"), rng.randbytes(64))


def scale_tree(rng, root, count, big):
    """Files of 1 to 64 bytes: nearly every size is shared, so the search reads them all."""
    made = []
    def one(path):
        if made and rng.random() < 0.1:
            data = rng.choice(made)
        else:
            data = rng.randbytes(rng.randrange(1, 65))
            if len(made) < 10000:
                made.append(data)
        with open(path, "wb") as out:
            out.write(data)
    for i in range(count):
        if i % 1000 == 0:
            os.makedirs(os.path.join(root, f"d{i // 100000:02d}", f"d{i // 1000:04d}"))
        one(os.path.join(root, f"d{i // 100000:02d}", f"d{i // 1000:04d}", f"s{i:07d}.bin"))
    os.makedirs(os.path.join(root, "gross"))
    for i in range(big):
        one(os.path.join(root, "gross", f"g{i:06d}.bin"))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("kind", choices=["small", "mixed", "large", "copies", "late", "mixedbucket", "offsets",
                                         "pairs", "backups", "crafted", "random", "scale"])
    parser.add_argument("dest")
    parser.add_argument("--full", action="store_true", help="mixed: 200,000 files (about 2.8 GB)")
    parser.add_argument("--count", type=int,
                        help="copies, late, mixedbucket, offsets: files (300); pairs: pairs (300); "
                             "crafted, random: files (8000); scale: files in folders (1000000)")
    parser.add_argument("--big", type=int, default=300000, help="scale: files in the one large folder")
    parser.add_argument("--seed", type=int, default=20261208)
    args = parser.parse_args()
    if os.path.exists(args.dest):
        shutil.rmtree(args.dest)
    rng = random.Random(args.seed)
    if args.kind == "small":
        small_tree(rng, args.dest)
    elif args.kind == "mixed":
        mixed_tree(rng, args.dest, 200000 if args.full else 20000)
    elif args.kind == "large":
        large_tree(rng, args.dest)
    elif args.kind == "copies":
        copies_tree(rng, args.dest, args.count or 300)
    elif args.kind == "late":
        late_files(rng, args.dest, args.count or 300, "")
    elif args.kind == "mixedbucket":
        mixed_bucket_tree(rng, args.dest, args.count or 300)
    elif args.kind == "offsets":
        offsets_tree(rng, args.dest, args.count or 300)
    elif args.kind == "pairs":
        pairs_tree(rng, args.dest, args.count or 300)
    elif args.kind == "backups":
        backups_tree(rng, args.dest)
    elif args.kind == "crafted":
        crafted_tree(rng, args.dest, args.count or 8000)
    elif args.kind == "scale":
        scale_tree(rng, args.dest, 1000000 if args.count is None else args.count, args.big)
    else:
        random_tree(rng, args.dest, args.count or 8000)


if __name__ == "__main__":
    main()
