#!/usr/bin/env python3
"""Runs the zwf examples of README.md and zwf(1) and compares their output with the documents'.

    tests/docs/CheckExamples.py ZWF_BINARY SOURCE_DIR [--show]

An example is a block of "$ zwf ..." lines, each followed by exactly what it prints (standard
output and standard error together, as a terminal shows them):
  - README.md: a fenced block opened with ```console;
  - packaging/zwf.1.in: an .EX/.EE block; roff's \\- and \\e stand for - and \\ there, and a plain
    - is refused (roff prints it as a hyphen, which a reader cannot paste into a shell).
Every block runs in a fresh copy of the example folder below (the documents describe it in one
sentence), from inside it, with `zwf` on the PATH being ZWF_BINARY; the commands of one block run
in turn on the same copy. Each must exit with status 0 and print the lines shown, byte for byte.
--show prints what each command printed instead of comparing, for writing a new example.
"""
import difflib
import os
import random
import re
import subprocess
import sys
import tempfile

MIB = 1024 * 1024


def content(seed, size):
    return random.Random(seed).randbytes(size)


# The example folder, as README.md and zwf(1) describe it: a holiday photo in Bilder with two
# copies in Sicherung and one in Downloads, a note in Bilder and Sicherung; a project whose data
# file and read-me are in both alt and neu, and whose Git folder holds two equal packs; one song
# twice in Musik. Fixed seeds: the sizes and the groups are the same on every run.
FILES = {
    "Bilder/urlaub.jpg": content(1, 2359412),
    "Bilder/notizen.txt": b"Zug um 7:14, Gleis 3\n",
    "Bilder/katze.jpg": content(2, 815004),
    "Sicherung/urlaub.jpg": content(1, 2359412),
    "Sicherung/urlaub-kopie.jpg": content(1, 2359412),
    "Sicherung/notizen.txt": b"Zug um 7:14, Gleis 3\n",
    "Downloads/urlaub.jpg": content(1, 2359412),
    "Downloads/rechnung.pdf": content(3, 48211),
    "Projekte/alt/daten.bin": content(4, MIB),
    "Projekte/neu/daten.bin": content(4, MIB),
    "Projekte/neu/liesmich.txt": b"Messreihe 2026\n",
    "Projekte/alt/liesmich.txt": b"Messreihe 2026\n",
    "Projekte/.git/objects/pack/a.pack": content(5, 2 * MIB),
    "Projekte/.git/objects/pack/b.pack": content(5, 2 * MIB),
    "Musik/album/lied.ogg": content(6, 3120448),
    "Musik/lied.ogg": content(6, 3120448),
}


def make_folder(root):
    for path, data in FILES.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
        os.utime(full, (1786000000, 1786000000))


def readme_blocks(text):
    """The ```console blocks of a Markdown text, each a list of (line number, line)."""
    blocks, lines, start = [], None, 0
    for number, line in enumerate(text.split("\n"), 1):
        if lines is None:
            if line.strip() == "```console":
                lines, start = [], number
            elif line.lstrip().startswith("$ zwf"):
                raise ValueError(f"line {number}: a zwf example outside a ```console block")
        elif line.strip() == "```":
            blocks.append(lines)
            lines = None
        else:
            lines.append((number, line))
    if lines is not None:
        raise ValueError(f"line {start}: a ```console block is not closed")
    return blocks


ROFF_ESCAPE = re.compile(r"\\(.)")


def unroff(line, number):
    if re.search(r"(?<!\\)-", line.replace("\\\\", "")):
        raise ValueError(f"line {number}: a plain - in an example prints as a hyphen: write \\-")

    def plain(match):
        if match.group(1) == "-":
            return "-"
        if match.group(1) == "e":
            return "\\"
        if match.group(1) == "&":
            return ""
        raise ValueError(f"line {number}: an escape the check does not know: \\{match.group(1)}")

    return ROFF_ESCAPE.sub(plain, line)


def manual_blocks(text):
    """The .EX/.EE blocks of a manual page, roff's escapes made plain."""
    blocks, lines, start = [], None, 0
    for number, line in enumerate(text.split("\n"), 1):
        if lines is None:
            if line.strip() == ".EX":
                lines, start = [], number
        elif line.strip() == ".EE":
            blocks.append(lines)
            lines = None
        elif line.startswith((".", "'")):
            raise ValueError(f"line {number}: a request inside an example")
        else:
            lines.append((number, unroff(line, number)))
    if lines is not None:
        raise ValueError(f"line {start}: an .EX block is not closed")
    return blocks


def examples(lines):
    """A block's commands, each as (line number, command, the output shown after it)."""
    found = []
    for number, line in lines:
        if line.startswith("$ "):
            if not line.startswith("$ zwf ") and line != "$ zwf":
                raise ValueError(f"line {number}: not a zwf command: {line}")
            found.append((number, line[2:], []))
        elif not found:
            raise ValueError(f"line {number}: output before any command: {line}")
        else:
            found[-1][2].append(line)
    return [(number, command, "".join(l + "\n" for l in shown)) for number, command, shown in found]


def run_block(zwf, commands, show):
    failures = []
    with tempfile.TemporaryDirectory(prefix="zwf-docs-") as scratch:
        bin_dir = os.path.join(scratch, "bin")
        home = os.path.join(scratch, "home")
        os.makedirs(bin_dir)
        os.makedirs(home)
        os.symlink(os.path.abspath(zwf), os.path.join(bin_dir, "zwf"))
        make_folder(home)
        env = {"PATH": bin_dir + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
               "LC_ALL": "C.UTF-8"}
        for number, command, shown in commands:
            run = subprocess.run(["/bin/sh", "-c", command], cwd=home, env=env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
            printed = run.stdout.decode("utf-8", "backslashreplace")
            if show:
                print(f"{number}: $ {command}\n{printed}", end="")
                continue
            if run.returncode != 0:
                failures.append(f"{number}: $ {command}\nexited with {run.returncode}:\n{printed}")
            elif printed != shown:
                diff = difflib.unified_diff(shown.split("\n"), printed.split("\n"), "shown", "printed", lineterm="")
                failures.append(f"{number}: $ {command}\nprints other lines than shown:\n" + "\n".join(diff))
    return failures


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    zwf, root, show = sys.argv[1], sys.argv[2], "--show" in sys.argv[3:]
    documents = [("README.md", readme_blocks), ("packaging/zwf.1.in", manual_blocks)]
    failed = checked = 0
    for name, parse in documents:
        with open(os.path.join(root, name), encoding="utf-8") as f:
            text = f.read()
        try:
            blocks = [examples(lines) for lines in parse(text)]
        except ValueError as error:
            print(f"{name}: {error}")
            failed += 1
            continue
        if not blocks:
            print(f"{name}: no examples found")
            failed += 1
        for commands in blocks:
            for failure in run_block(zwf, commands, show):
                print(f"{name}:{failure}")
                failed += 1
            checked += len(commands)
    if show:
        return 0
    print(f"{checked} examples run, {failed} wrong")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
