#!/usr/bin/env python3
"""Asks the running Linux window questions through AT-SPI, one after the other as a screen reader
does, during searches over the folder it was given, and prints how long the answers took.

    answer_time.py [--searches N] FOLDER...

The window must show its folder(s) already and have the search button enabled. Before each
search the pages of the files in FOLDER are dropped from the page cache, so that the search
reads them afresh; the files stay the ones the window catalogued.
The search's time is taken from outside the window too: from the bytes the program reads
(/proc/PID/io), sampled on a thread of its own. A question counts when it was asked while the
search was reading."""
import argparse
import os
import statistics
import sys
import threading
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

SEARCH = "Doppelte Dateien suchen"
ALL_FILES = "Alle Dateien"


def find_application(name, timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == name:
                return app
        time.sleep(0.2)
    sys.exit(f"answer_time: no application {name!r} on the accessibility bus")


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def find(app, role, prefix):
    for node in walk(app):
        if node.get_role() == role and (node.get_name() or "").startswith(prefix):
            return node
    sys.exit(f"answer_time: no {role.value_nick} named {prefix!r}")


def ask_name(node):
    """One question that goes all the way to the window: the cached answer is dropped first."""
    node.clear_cache()
    start = time.monotonic()
    name = node.get_name()
    return name, time.monotonic() - start, start


def drop_cached_pages(folders):
    """Drops the files' pages from the page cache, so that the search reads them afresh, at the
    speed at which the kernel fills pages. The files themselves stay: the search reads only files
    that are still the ones catalogued. Returns their bytes together."""
    total = 0
    for folder in folders:
        for root, _, files in os.walk(folder):
            for name in files:
                path = os.path.join(root, name)
                fd = os.open(path, os.O_RDONLY)
                try:
                    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
                    total += os.fstat(fd).st_size
                finally:
                    os.close(fd)
    return total


class ReadMeter(threading.Thread):
    """Samples the bytes the program has read, every few milliseconds."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.path = f"/proc/{pid}/io"
        self.samples = []  # (time, bytes read so far)
        self.lock = threading.Lock()

    def read(self):
        with open(self.path) as io:
            for line in io:
                if line.startswith("rchar:"):
                    return int(line.split()[1])
        return 0

    def run(self):
        while True:
            sample = (time.monotonic(), self.read())
            with self.lock:
                self.samples.append(sample)
            time.sleep(0.005)

    def since(self, start):
        with self.lock:
            return [s for s in self.samples if s[0] >= start]


PAUSE = 0.005  # between two questions, as a screen reader leaves the processor to others
SLACK = 1 << 20  # what else the program reads meanwhile (its accessibility bus, say)


def search_period(samples, expected):
    """When the program read the files: from its first megabyte to its last."""
    base = samples[0][1]
    final = samples[-1][1]
    if final - base < expected:
        return None
    begin = next(t for t, b in samples if b - base > SLACK)
    end = next(t for t, b in samples if b >= final - SLACK)
    return begin, end


def one_search(button, label, meter, expected, timeout=300.0):
    """Clicks the search button and asks questions until the program has read the files and
    stopped. Returns the answer times of the questions asked during the search and its length."""
    clicked = time.monotonic()
    Atspi.Action.do_action(button, 0)
    asked = []  # (asked at, answer time)
    while time.monotonic() < clicked + timeout:
        _, took, at = ask_name(label)
        asked.append((at, took))
        time.sleep(PAUSE)
        samples = meter.since(clicked)
        recent = [b for t, b in samples if t > time.monotonic() - 0.3]
        if len(recent) > 1 and recent[-1] - recent[0] < SLACK:
            period = search_period(samples, expected)
            if period is not None and at > period[1]:
                begin, end = period
                return [took for when, took in asked if begin <= when <= end], end - begin
    sys.exit("answer_time: the search did not end")


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(share * (len(ordered) - 1))))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--searches", type=int, default=3)
    parser.add_argument("folders", nargs="+")
    options = parser.parse_args()
    app = find_application("zwillingsfeger")
    button = find(app, Atspi.Role.PUSH_BUTTON, SEARCH)
    label = find(app, Atspi.Role.LABEL, ALL_FILES)
    meter = ReadMeter(app.get_process_id())
    meter.start()
    every = []
    for n in range(options.searches):
        expected = drop_cached_pages(options.folders)
        times, seconds = one_search(button, label, meter, expected)
        every += times
        print(f"search {n + 1}: {seconds:.2f} s, {len(times)} answers during it"
              + (f", longest {max(times) * 1000:.0f} ms" if times else ""))
    if not every:
        sys.exit("answer_time: no question was answered during a search")
    ms = [t * 1000 for t in every]
    print(f"answers during the searches: {len(ms)}; median {statistics.median(ms):.1f} ms, "
          f"95th percentile {percentile(ms, 0.95):.1f} ms, longest {max(ms):.1f} ms")


if __name__ == "__main__":
    main()
