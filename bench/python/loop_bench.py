#!/usr/bin/env python3
"""Pictures per second through the Python grab loop against the C `grab` tool.

Both record the same simulator settings (1024 x 1024 grey by default, 16
buffers, the rate asked for) into a sequence file: `grab --no-display
--no-camera` on one side, a `quorlex.Grabber.acquire` loop appending each
picture to a `quorlex.Recording` on the other. Prints one row per rate:
kept pictures per second of each and their ratio (Python / C).

    QUORLEX_LIBRARY_PATH=build/linux/bin /usr/bin/python3 bench/python/loop_bench.py \
        [--count 500] [--rates 250,500,1000] [--width 1024] [--height 1024]
"""

from __future__ import annotations

import argparse
import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "python"))
os.environ.setdefault("QUORLEX_LIBRARY_PATH", str(ROOT / "build" / "linux" / "bin"))

import quorlex  # noqa: E402


def c_grab(folder: Path, count: int, rate: int, width: int, height: int) -> tuple:
    exe = Path(os.environ["QUORLEX_LIBRARY_PATH"]) / "grab"
    out = subprocess.run(
        [str(exe), "--count", str(count), "--width", str(width), "--height", str(height), "--rate", str(rate),
         "--buffers", "16", "--no-display", "--no-camera", "--output", str(folder / "c")],
        cwd=folder, capture_output=True, text=True,
    ).stdout
    m = re.search(r"recorded (\d+) of (\d+) pictures in ([\d.]+) s .*?(\d+) lost", out)
    if not m:
        raise SystemExit(f"grab printed no summary:\n{out}")
    kept, seconds, lost = int(m.group(1)), float(m.group(3)), int(m.group(4))
    return kept / seconds, lost


def python_grab(folder: Path, count: int, rate: int, width: int, height: int) -> tuple:
    kept = lost = 0
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g, \
            quorlex.Recording(folder / "py.seq", "w", shape=(height, width)) as rec:
        g.set(width=width, height=height, format="grey", rate=rate)
        g.allocate(buffers=16)
        start = time.perf_counter()
        for picture in g.acquire(count=count, timeout=2.0):
            if picture.lost:
                lost += 1
            else:
                rec.append(picture, picture.number)
                kept += 1
        seconds = time.perf_counter() - start
    return kept / seconds, lost


def main() -> None:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--count", type=int, default=500)
    ap.add_argument("--rates", default="250,500,1000")
    ap.add_argument("--width", type=int, default=1024)
    ap.add_argument("--height", type=int, default=1024)
    a = ap.parse_args()
    print(f"| rate | C grab kept/s (lost) | Python loop kept/s (lost) | Python / C |  ({a.width}x{a.height} grey, "
          f"{a.count} pictures, 16 buffers)")
    print("|---|---|---|---|")
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp)
        os.chdir(folder)
        for rate in (int(r) for r in a.rates.split(",")):
            c, c_lost = c_grab(folder, a.count, rate, a.width, a.height)
            p, p_lost = python_grab(folder, a.count, rate, a.width, a.height)
            print(f"| {rate}/s | {c:.1f} ({c_lost}) | {p:.1f} ({p_lost}) | {p / c:.2f} |")


if __name__ == "__main__":
    main()
