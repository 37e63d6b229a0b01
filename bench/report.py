#!/usr/bin/env python3
"""Runs every benchmark of the kit and its peers and writes docs/performance.md.

Started by scripts/bench, which installs the peers, builds and provides the
display (DISPLAY) and, when the win32 build is there, the Wine prefix. Every
figure in the page is read from a program run by this script, in this run.

    report.py <source dir> <linux build dir> <win32 build dir or ''>
"""

import datetime
import functools
import os
import platform
import re
import shlex
import shutil
import signal
import subprocess
import sys
import time

SRC, BUILD, WIN32 = sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else ""
BIN = os.path.join(BUILD, "bin")
WORK = os.path.join(BUILD, "bench-run")  # on the disk the recordings go to
SHM = "/dev/shm/quorlex-bench-%d" % os.getpid()  # tmpfs
SIDE = 1024
# The serial benchmark, built from bench/clserqx3 when that folder has it
# (its --round-trips mode, round trips per process).
SERIAL_BENCH = "clser_bench"
SERIAL_TRIPS = 200
# Bounded search of grab's highest rate without loss.
GRAB_RUNS = 8
GRAB_SECONDS = 4.0
GRAB_MAX_RATE = 100000  # the highest rate grab accepts

commands = []  # every command run, in order, for the page
reasons = {}  # row name -> why it missed, from figures of this run
sections = []  # (title, intro, header, rows, notes)
log = sys.stderr


def say(text):
    print("bench: " + text, file=log, flush=True)


def loadavg():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def rel(path):
    """A path as the page shows it: relative to the source tree."""
    return os.path.relpath(path, SRC) if path.startswith(SRC) else path


def run(argv, timeout=600, env=None, record=True, cwd=None):
    """Runs a command; returns (exit status, standard output)."""
    if record:
        commands.append(" ".join(shlex.quote(rel(a)) for a in argv))
    say(" ".join(argv))
    try:
        p = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                           timeout=timeout, env=env, cwd=cwd)
    except subprocess.TimeoutExpired:
        say("timed out")
        return -1, ""
    if p.returncode != 0:
        say("exit %d: %s" % (p.returncode, p.stderr.strip()[-400:]))
    return p.returncode, p.stdout


def num(x, digits=1):
    return "—" if x is None else ("%.*f" % (digits, x))


def ratio(a, b):
    return a / b if a is not None and b else None


def verdict(value, target, higher=True):
    """'met' / 'missed' for a ratio against a target; '—' without either."""
    if value is None or target is None:
        return "—"
    ok = value >= target if higher else value <= target
    return "met" if ok else "**missed**"


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem_kb = int(f.readline().split()[1])
    fs = subprocess.run(["df", "--output=fstype,source", WORK], stdout=subprocess.PIPE,
                        text=True).stdout.split("\n")[1].split()
    return {
        "cores": os.cpu_count(),
        "model": model,
        "memory": "%.1f GiB" % (mem_kb / 1048576.0),
        "kernel": platform.release(),
        "disk": "%s (%s)" % (fs[1], fs[0]) if len(fs) == 2 else "unknown",
    }


# ---------------------------------------------------------------- fio limit

def settle(folder):
    """Commits the file system's journal after large files were deleted: the disk is
    mounted with online discard, and the discards of one run's files would otherwise
    be sent while the next run writes."""
    try:
        fd = os.open(folder, os.O_RDONLY)
        try:
            os.fsync(fd)
        finally:
            os.close(fd)
        os.sync()
    except OSError:
        pass


def fio(folder, megabytes=1000):
    """fio's write bandwidth in MB/s: 4,000,000-byte blocks, 4 in flight, O_DSYNC."""
    name = os.path.join(folder, "fio.bin")
    blocks = megabytes * 1000000 // 4000000
    rc, out = run(["fio", "--name=limit", "--filename=" + name, "--rw=write", "--bs=4000000",
                   "--iodepth=4", "--ioengine=io_uring", "--sync=dsync", "--fallocate=none",
                   "--size=%d" % (blocks * 4000000), "--output-format=terse",
                   "--terse-version=3"])
    if os.path.exists(name):
        os.remove(name)
    settle(folder)
    if rc != 0 or not out.strip():
        return None
    # Terse v3: the 48th field is the write bandwidth in KiB/s.
    return float(out.strip().split("\n")[-1].split(";")[47]) * 1024 / 1e6


# ----------------------------------------------------------------- the grab rows

GRAB = os.path.join(BIN, "grab")


def grab_has_two_ports():
    rc, _ = run([GRAB, "--port", "0,1", "--help"], record=False)
    return rc == 0


def cpu_seconds(pid):
    """User and system time of a running process (all its threads)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return None


def grab_once(colour, display, rate, ports, profile=None):
    """One grab run. Returns a dict: ok (0 lost), mbs, cpu per GB while recording.
    With `profile` (a file name), perf samples the process while it records."""
    out_dir = os.path.join(WORK, "grab")
    shutil.rmtree(out_dir, ignore_errors=True)
    count = max(50, int(rate * GRAB_SECONDS))
    argv = [GRAB, "--count", str(count), "--rate", str(rate), "--width", str(SIDE),
            "--height", str(SIDE), "--colour" if colour else "--grey",
            "--display" if display else "--no-display", "--output", out_dir]
    if ports == 2:
        argv += ["--port", "0,1"]
    if not profile:
        commands.append(" ".join(shlex.quote(rel(a)) for a in argv))
    say(" ".join(argv))
    t0 = time.time()
    # Into files: the video export prints a line per frame, more than a pipe holds.
    out_file = open(os.path.join(WORK, "grab.out"), "w+")
    err_file = open(os.path.join(WORK, "grab.err"), "w+")
    # In the work folder: the grabber's trace, pictor.log, goes into the current one.
    if profile:
        # perf starts a new data file on SIGUSR2: the first holds the recording.
        argv = ["perf", "record", "-F", "999", "-q", "--switch-output", "-o", profile,
                "--"] + argv
        commands.append(" ".join(shlex.quote(rel(a)) for a in argv) +
                        "   (perf's first file: until the recording closed)")
    p = subprocess.Popen(argv, stdout=out_file, stderr=err_file, text=True, cwd=WORK)
    # The exports (video, TIFF, BMP) start once the recording is closed; the
    # CPU time until the video file appears is that of the recording.
    cpu_recording, last = None, None
    while p.poll() is None:
        c = cpu_seconds(p.pid)
        if cpu_recording is None and os.path.isdir(out_dir) and \
                any(f.endswith(".avi") for f in os.listdir(out_dir)):
            cpu_recording = c
            if profile:
                p.send_signal(signal.SIGUSR2)
        elif c is not None:
            last = c
        time.sleep(0.02)
    p.wait()
    out_file.seek(0)
    err_file.seek(0)
    out, err = out_file.read(), err_file.read()
    out_file.close()
    err_file.close()
    if cpu_recording is None:
        cpu_recording = last
    mbs, recorded_bytes, lost, shown = 0.0, 0.0, 0, None
    for m in re.finditer(r"recorded (\d+) of (\d+) pictures in ([\d.]+) s \(([\d.]+)/s, "
                         r"([\d.]+) MB/s\), (\d+) lost", out):
        mbs += float(m.group(5))
        recorded_bytes += int(m.group(1)) * SIDE * SIDE * (3 if colour else 1)
        lost += int(m.group(6))
    # The pictures shown, in whichever words grab's summary puts them.
    m = re.search(r"(\d+)(?: of \d+)?(?: pictures)? shown|shown:? (\d+)", out)
    if m:
        shown = int(m.group(1) or m.group(2))
    seconds = [float(m.group(1)) for m in re.finditer(r"recorded \d+ of \d+ pictures in "
                                                      r"([\d.]+) s", out)]
    shutil.rmtree(out_dir, ignore_errors=True)
    settle(WORK)
    ok = p.returncode == 0 and lost == 0 and recorded_bytes > 0
    if p.returncode not in (0, 3):
        say("grab failed (%d): %s" % (p.returncode, err.strip()[-300:]))
    return {
        "ok": ok, "rc": p.returncode, "mbs": mbs, "lost": lost, "rate": rate,
        "cpu_per_gb": cpu_recording / (recorded_bytes / 1e9)
        if cpu_recording and recorded_bytes else None,
        "shown_per_s": shown / seconds[0] if shown is not None and seconds else None,
        "wall": time.time() - t0,
    }


def grab_search(colour, display, ports, fio_mbs):
    """The highest rate without loss, with at most GRAB_RUNS runs: first the rate at
    which the pictures fill the disk's limit, then upwards while every picture is
    kept, or the target's rate when pictures were lost, then bisection."""
    bytes_per_picture = SIDE * SIDE * (3 if colour else 1) * ports
    best, lo, hi, runs = None, 0, None, 0
    tried = []
    disk_rate = int(fio_mbs * 1e6 / bytes_per_picture) if fio_mbs else 1000
    rate = max(1, min(GRAB_MAX_RATE, disk_rate))
    while runs < GRAB_RUNS:
        r = grab_once(colour, display, rate, ports)
        runs += 1
        tried.append("%d/s %s" % (rate, "kept all" if r["ok"] else
                                  ("%d lost" % r["lost"] if r["rc"] in (0, 3) else
                                   "failed (%d)" % r["rc"])))
        if r["ok"]:
            lo, best = rate, r
        else:
            hi = rate
        if hi is None:
            if rate >= GRAB_MAX_RATE:
                break
            rate = min(GRAB_MAX_RATE, rate * 3 // 2)
            continue
        if runs == 1:
            # The target's rate next, then halve the interval.
            rate = max(1, int(0.8 * disk_rate))
        else:
            rate = (lo + hi) // 2
        if hi - lo <= max(2, hi // 25) or rate <= lo or rate <= 0:
            break
    return best, tried


# ------------------------------------------------------------------ rows

def grab_rows(fio_runs):
    """The grab rows. fio runs on the same disk before each search and once after
    them (appended to fio_runs). A row's limit is the better of the fio runs just
    before and just after its search: the disk's speed moves over minutes (other
    work on the shared disk), and a limit taken at another hour would say more of
    the disk than of grab."""
    found, cpu, configs = [], [], {}
    for ports in (1, 2):
        for display in (False, True):
            for colour in (False, True):
                what = "%s, %s, %s" % ("colour" if colour else "grey",
                                       "display on" if display else "display off",
                                       "two ports" if ports == 2 else "one port")
                if ports == 2 and not grab_has_two_ports():
                    found.append((what, display, None, None, loadavg(), None))
                    continue
                fio_runs.append(fio(WORK))
                load = loadavg()
                best, tried = grab_search(colour, display, ports, fio_runs[-1])
                found.append((what, display, best, tried, load, len(fio_runs) - 1))
                configs[what] = (colour, display, ports)
    fio_runs.append(fio(WORK))
    # A search during which the disk changed speed says more of the disk than of
    # grab: such a row is searched once more between fio runs of its own. The
    # search whose fio runs agree better stands; the page shows the other too.
    others = {}
    for i, (what, display, best, tried, load, before) in enumerate(found):
        if tried is None or not (fio_runs[before] and fio_runs[before + 1]) or \
                spread(fio_runs[before], fio_runs[before + 1]) < 1.3:
            continue
        colour, _, ports = configs[what]
        fio_runs.append(fio(WORK))
        again = len(fio_runs) - 1
        load = loadavg()
        best2, tried2 = grab_search(colour, display, ports, fio_runs[-1])
        fio_runs.append(fio(WORK))
        second = (what, display, best2, tried2, load, again)
        if spread(fio_runs[again], fio_runs[again + 1]) < spread(fio_runs[before],
                                                                 fio_runs[before + 1]):
            found[i], other = second, found[i]
        else:
            other = second
        others[what] = "; the other search, fio %s MB/s before and %s after: %s" % (
            num(fio_runs[other[5]]), num(fio_runs[other[5] + 1]), ", ".join(other[3]))
    rows = []
    for what, display, best, tried, load, before in found:
        target = "≥ 0.8 of fio" + ("; shows ≥ 25/s" if display else "")
        around = [f for f in fio_runs[before:before + 2] if f] if before is not None else []
        limit = max(around) if around else None
        if tried is None:
            rows.append([what, "not measured: grab has no two-port mode", "", "", "", target,
                         "—", num(load, 1)])
            continue
        mbs = best["mbs"] if best else None
        r = ratio(mbs, limit)
        met = verdict(r, 0.8)
        shown = ""
        if display:
            s = best["shown_per_s"] if best else None
            shown = ("; shown %s/s" % num(s)) if s is not None else \
                "; pictures shown: not reported by grab"
            if met == "met" and (s is None or s < 25):
                met = "**missed**" if s is not None else "recording met; display not reported"
        if best and best["rate"] == GRAB_MAX_RATE:
            shown += " (the highest rate grab takes: no loss found)"
        rows.append([what, ("%s/s, %s MB/s%s" % (best["rate"], num(mbs), shown)) if best
                     else "lost pictures at every rate tried",
                     "%s (before %s, after %s)" % (num(limit), num(fio_runs[before]),
                                                   num(fio_runs[before + 1])),
                     num(r, 2),
                     ", ".join(tried) + others.get(what, ""), target, met, num(load, 1)])
        if best and best["cpu_per_gb"] is not None:
            cpu.append([what, num(best["cpu_per_gb"], 2), "%d/s" % best["rate"]])
    notes = ["Each run records %.0f s of pictures (at least 50) with grab's default ring, a "
             "quarter second of pictures: a rate up to about %d %% above what the disk sustains "
             "can still be kept by filling the ring, which is why the ratio is taken from the "
             "MB/s, not from the rate. MB/s is grab's own figure for the run at the highest rate "
             "kept without loss: the bytes handed to the recording over the time from the start "
             "to the last picture handed over, the ring's backlog included. Exit status 3 means "
             "pictures were lost; grab accepts up to %d pictures per second." %
             (GRAB_SECONDS, round(100 / (GRAB_SECONDS / 0.25 - 1)), GRAB_MAX_RATE)]
    # A profile of the first row missed with the display off, and of the first
    # with it on.
    profiles, profiled = [], {}
    if shutil.which("perf"):
        for display in (False, True):
            missed = [(r[0], b) for r, (_, d, b, t, _, _) in zip(rows, found)
                      if "missed" in r[6] and t and d == display]
            if missed:
                title, text = profile_grab(missed[0][0], configs[missed[0][0]], missed[0][1])
                profiles.append((title, text))
                profiled[missed[0][0]] = text
    reasons = {}
    for r, (what, _, best, tried, _, before) in zip(rows, found):
        if "missed" in r[6] and tried is not None:
            reasons[what] = grab_miss_reason(best, fio_runs[before], fio_runs[before + 1],
                                             profiled.get(what))
    return rows, notes, cpu, profiles, reasons


def spread(a, b):
    """How far two fio runs disagree: the faster over the slower (inf without both)."""
    return max(a, b) / min(a, b) if a and b else float("inf")


def top_costs(profile, n=3):
    """[(share in %, who, symbol)] of the first lines of a perf report."""
    costs = []
    for line in profile.split("\n"):
        m = re.match(r"\s*([\d.]+)%\s+(\S+)\s+(\S+)\s+\[[.k]\]\s+(.+)", line)
        if m:
            costs.append((float(m.group(1)), m.group(2), m.group(4).strip()))
    return costs[:n]


def grab_miss_reason(best, before, after, profile):
    """Why a grab row missed, from this run's own figures: the disk's speed around
    the search and, where one was taken, the profile."""
    parts = []
    if spread(before, after) >= 1.3 and spread(before, after) != float("inf"):
        slower = min(before, after)
        parts.append("fio gave %s MB/s just before this search and %s just after: the shared "
                     "disk changed speed under it%s. What would close it: the same search on a "
                     "disk that holds still (a run when nothing else writes to it)" %
                     (num(before), num(after),
                      "; against the slower fio run the ratio is %s" %
                      num(ratio(best["mbs"], slower), 2) if best else ""))
    costs = top_costs(profile) if profile else []
    if costs:
        said = ", ".join("%s %.0f %%" % (sym, share) for share, _, sym in costs)
        parts.append("perf's largest costs: " + said)
        sym = costs[0][2]
        if "copy_folio_from_iter" in sym or "copy_user" in sym:
            parts.append("the largest is the kernel copying every byte into the page cache, as "
                         "it does for fio's buffered O_DSYNC writes; bypassing the page cache "
                         "(O_DIRECT) would need writes aligned to the disk's blocks, which the "
                         "recording's 4,000,000-byte transfers are not")
        elif "memmove" in sym or "memcpy" in sym:
            parts.append("the largest is copying in the process: the simulated board painting "
                         "each picture, the writer's copy into its transfer buffers and, while "
                         "the recording is half a ring behind, grab's copy of the picture "
                         "before it is handed over; a real board's DMA would take the first "
                         "away")
        elif "convert" in sym:
            parts.append("the largest is the display's conversion of the picture, on the "
                         "display's own thread")
    if not parts:
        parts.append("no profile was taken and fio held still around the search")
    return "; ".join(parts) + "."


def profile_grab(what, config, best):
    """perf's view of one grab run of a missed row, a quarter above its best rate."""
    colour, display, ports = config
    rate = min(GRAB_MAX_RATE, int((best["rate"] if best else 100) * 1.25))
    data = os.path.join(WORK, "perf.data")
    r = grab_once(colour, display, rate, ports, profile=data)
    parts = sorted(f for f in os.listdir(WORK) if f.startswith("perf.data."))
    out = ""
    if parts:
        rc, out = run(["perf", "report", "-i", os.path.join(WORK, parts[0]), "--stdio",
                       "--no-children", "--percent-limit", "2", "--sort", "comm,dso,sym"])
    for f in parts:
        os.remove(os.path.join(WORK, f))
    lines = [l for l in out.split("\n") if l.strip() and not l.startswith("#")]
    title = "perf of `grab` for the row \"%s\" at %d/s (%s; samples of the grab process, " \
        "its threads and its kernel work while it recorded; not of the X server)" % (
            what, rate, "kept all" if r["ok"] else "%d lost" % r["lost"])
    return title, "\n".join(lines)


def parse_files(out):
    """{(format, kind, op, who): MB/s} from the file_contest.h lines."""
    found = {}
    for m in re.finditer(r"^file (\S+) (\S+) (\S+) (\S+) ([\d.]+)$", out, re.M):
        found[m.group(1, 2, 3, 4)] = float(m.group(5))
    return found


def file_rows(folder, label):
    os.makedirs(folder, exist_ok=True)
    load = loadavg()
    figures = {}
    # Two rounds of the three programs in turn, the best of each figure kept: a
    # moment of other work on the machine then costs one program one round, not
    # its row.
    for _ in range(2):
        for prog in ("nimbrix_files", "opencv_files", "stb_files"):
            path = os.path.join(BIN, prog)
            if os.path.exists(path):
                for key, mbs in parse_files(run([path, folder, "20"])[1]).items():
                    figures[key] = max(mbs, figures.get(key, 0.0))
    rows = []
    for fmt in ("bmp", "tiff"):
        for kind in ("grey", "colour"):
            for op in ("write", "read"):
                ours = figures.get((fmt, kind, op, "nimbrix"))
                plain = figures.get(("plain", kind, op, "plain"))
                cv = figures.get((fmt, kind, op, "opencv"))
                stb = figures.get((fmt, kind, op, "stb"))
                rp = ratio(ours, plain)
                rcv, rstb = ratio(ours, cv), ratio(ours, stb)
                targets = ["ahead of OpenCV and stb" if fmt == "bmp" else "ahead of OpenCV"]
                verdicts = []
                if fmt == "bmp" and op == "read" and label == "tmpfs":
                    targets.insert(0, "≥ 0.8 of plain")
                    verdicts.append(verdict(rp, 0.8))
                verdicts += [verdict(rcv, 1.0000001) if cv else "—",
                             verdict(rstb, 1.0000001) if stb else "—"]
                met = "**missed**" if "**missed**" in verdicts else \
                    ("met" if "met" in verdicts else "—")
                if label == "tmpfs" and fmt == "bmp" and op == "read" and \
                        verdict(rp, 0.8) == "**missed**":
                    reasons[("files on tmpfs", "%s %s %s" % (fmt.upper(), kind, op))] = \
                        bmp_read_miss_reason(folder)
                rows.append(["%s %s %s" % (fmt.upper(), kind, op), num(ours),
                             "OpenCV %s, stb %s" % (num(cv), num(stb) if fmt == "bmp"
                                                    else "has no TIFF"),
                             num(plain),
                             "%s / %s / %s" % (num(rp, 3), num(rcv, 2), num(rstb, 2)),
                             "; ".join(targets), met, num(load, 1)])
    if folder.startswith(SHM):
        shutil.rmtree(folder, ignore_errors=True)
    return rows


def recording_miss_reason(out):
    """Why the recording row missed, from nimbrix_bench's rounds."""
    m = re.search(r"rounds\s+nimbrix ([\d. ]+); fio ([\d. ]+) MB/s", out)
    if not m:
        return "nimbrix_bench gave no rounds."
    ours = [float(x) for x in m.group(1).split()]
    fio_mbs = [float(x) for x in m.group(2).split()]
    text = ("the rounds, ours and fio's alternating: ours %s, fio %s MB/s" %
            (", ".join(num(x) for x in ours), ", ".join(num(x) for x in fio_mbs)))
    if min(ours + fio_mbs) > 0 and max(ours + fio_mbs) / min(ours + fio_mbs) >= 1.3:
        text += ("; the shared disk's speed moved between rounds by a factor of %s, more than "
                 "the target's margin. What would close it: a run when nothing else writes to "
                 "the disk (the grab rows above, with fio around each search, show the writer "
                 "at the disk's speed)" % num(max(ours + fio_mbs) / min(ours + fio_mbs), 2))
    return text + "."


@functools.lru_cache(maxsize=None)
def bmp_read_miss_reason(folder):
    """Why a BMP read missed: the system's own limit for reading the rows one by one
    (a BMP stores its rows bottom-up, so each row is a piece of its own). Measured
    once per folder: nimbrix_bench measures grey pictures, whichever row missed."""
    rc, out = run([os.path.join(BIN, "nimbrix_bench"), folder, "0", "bmp"])
    m = re.search(r"read\s+([\d.]+) MB/s\s+ratio to plain ([\d.]+);\s+nimbrix to it ([\d.]+)",
                  out)
    if not m:
        return "nimbrix_bench gave no figure for reading the rows one by one."
    return ("a BMP stores its rows bottom-up, so the read gathers 2048 rows into their places "
            "(one preadv with one piece per row, without a copy of our own); the system itself "
            "reads the "
            "same pieces at %s MB/s, %s of a plain read, and the library reaches %s of that "
            "(grey, nimbrix_bench, this run). What would close it: fewer, larger pieces, i.e. "
            "reading the block whole and turning the rows over in memory, which adds a pass "
            "over the picture." % (m.group(1), m.group(2), m.group(3)))


def nimbrix_seq_and_avi(folder, label, fio_rows):
    """The recording against fio, and AVI writing against ffmpeg and OpenCV."""
    os.makedirs(folder, exist_ok=True)
    rows = []
    bench = os.path.join(BIN, "nimbrix_bench")
    if fio_rows is not None:
        load = loadavg()
        rc, out = run([bench, folder, "1000", "seq"])
        ours = re.search(r"nimbrix\s+([\d.]+) MB/s", out)
        peer = re.search(r"fio\s+([\d.]+) MB/s", out)
        o = float(ours.group(1)) if ours else None
        f = float(peer.group(1)) if peer else None
        what = "recording 1024x1024 grey pictures (%s, best of 3)" % label
        fio_rows.append([what, num(o), "", num(f), num(ratio(o, f), 2),
                         "≥ 0.9 of fio (nimbrix_bench's goal)", verdict(ratio(o, f), 0.9),
                         num(load, 1)])
        if "missed" in fio_rows[-1][-2]:
            reasons[("recording", what)] = recording_miss_reason(out)
    load = loadavg()
    rc, out = run([bench, folder, "0", "avi"])
    ours = re.search(r"nimbrix\s+([\d.]+) frames/s", out)
    ff = re.search(r"ffmpeg\s+([\d.]+) frames/s", out)
    o = float(ours.group(1)) if ours else None
    f = float(ff.group(1)) if ff else None
    cv = None
    if os.path.exists(os.path.join(BIN, "opencv_video")):
        rc, out = run([os.path.join(BIN, "opencv_video"), folder, "300", "3"])
        m = re.search(r"^avi grey opencv ([\d.]+)", out, re.M)
        cv = float(m.group(1)) if m else None
    v = [verdict(ratio(o, f), 1.0000001), verdict(ratio(o, cv), 1.0000001)]
    rows.append(["AVI 300 grey 1024x1024 frames (%s), frames/s" % label, num(o),
                 "ffmpeg %s, OpenCV %s" % (num(f), num(cv)), "",
                 "%s / %s" % (num(ratio(o, f), 2), num(ratio(o, cv), 2)),
                 "ahead of ffmpeg and OpenCV",
                 "**missed**" if "**missed**" in v else ("met" if "met" in v else "—"),
                 num(load, 1)])
    return rows


display_profile = []


def display_rows():
    rows = []
    if not os.environ.get("DISPLAY"):
        return [["display", "not measured: no display", "", "", "", "", "—", ""]]
    load = loadavg()
    rc, out = run([os.path.join(BIN, "oculon_bench"), "4"])
    ours = {m.group(1): (float(m.group(2)), float(m.group(3))) for m in re.finditer(
        r"^(grey|colour)\s+\d+ x \d+: DrawBuffer\s+([\d.]+) pictures/s, bare \S+\s+([\d.]+)",
        out, re.M)}
    # SDL2's own choice of renderer, and its software renderer: the better of
    # the two for each picture.
    sdl, renderer = {}, {}
    if os.path.exists(os.path.join(BIN, "sdl_display")):
        for driver in (None, "software"):
            rc, out = run(([] if driver is None else ["env", "SDL_RENDER_DRIVER=" + driver]) +
                          [os.path.join(BIN, "sdl_display"), "3"])
            for m in re.finditer(r"^display sdl (grey|colour) ([\d.]+) (\S+)", out, re.M):
                if float(m.group(2)) > sdl.get(m.group(1), 0):
                    sdl[m.group(1)] = float(m.group(2))
                    renderer[m.group(1)] = m.group(3)
    for kind in ("grey", "colour"):
        o, bare = ours.get(kind, (None, None))
        s = sdl.get(kind)
        goal = 0.6 if kind == "colour" else 0.5
        v = [verdict(ratio(o, bare), goal), verdict(ratio(o, s), 1.0000001) if s else "—"]
        rows.append(["Linux (Xvfb) %s 1024x1024, pictures/s" % kind, num(o),
                     "SDL2 %s (%s renderer)" % (num(s), renderer.get(kind, "—")), num(bare),
                     "%s / %s" % (num(ratio(o, bare), 2), num(ratio(o, s), 2)),
                     "≥ %.1f of the bare loop; ahead of SDL2" % goal,
                     "**missed**" if "**missed**" in v else "met", num(load, 1)])
    if any("missed" in r[6] for r in rows) and shutil.which("perf"):
        data = os.path.join(WORK, "perf.data")
        run(["perf", "record", "-F", "999", "-q", "-o", data, "--",
             os.path.join(BIN, "oculon_bench"), "2"])
        rc, out = run(["perf", "report", "-i", data, "--stdio", "--no-children",
                       "--percent-limit", "2", "--sort", "comm,dso,sym"])
        if os.path.exists(data):
            os.remove(data)
        lines = [l for l in out.split("\n") if l.strip() and not l.startswith("#")]
        display_profile.append(("perf of `oculon_bench 2` (both loops, grey and colour; samples "
                                "of the benchmark process, not of the X server)",
                                "\n".join(lines)))
    exe = os.path.join(WIN32, "bin", "oculon_bench.exe") if WIN32 else ""
    if exe and os.path.exists(exe):
        load = loadavg()
        rc, out = run(["wine", exe, "4"], timeout=300)
        for m in re.finditer(r"^(grey|colour)\s+\d+ x \d+: DrawBuffer\s+([\d.]+) pictures/s, "
                             r"bare \S+\s+([\d.]+)", out, re.M):
            o, bare = float(m.group(2)), float(m.group(3))
            goal = 0.6 if m.group(1) == "colour" else 0.5
            rows.append(["win32 under Wine %s 1024x1024, pictures/s" % m.group(1), num(o), "",
                         num(bare), num(ratio(o, bare), 2), "≥ %.1f of the bare loop" % goal,
                         verdict(ratio(o, bare), goal), num(load, 1)])
    else:
        rows.append(["win32 under Wine", "not measured: no win32 build of oculon_bench", "", "",
                     "", "", "—", ""])
    return rows


def forwarding_rows():
    import json
    out_json = os.path.join(WORK, "forwarding.json")
    load = loadavg()
    rc, _ = run([os.path.join(BIN, "bench_forwarding"), "--benchmark_repetitions=5",
                 "--benchmark_report_aggregates_only=true", "--benchmark_out=" + out_json,
                 "--benchmark_out_format=json"], cwd=WORK)  # its trace file goes there
    if rc != 0:
        return [["forwarded call", "not measured: bench_forwarding failed", "", "", "", "", "—",
                 ""]]
    runs = {b["run_name"]: b["real_time"] for b in json.load(open(out_json))["benchmarks"]
            if b.get("aggregate_name") == "median"}
    t, bare = runs.get("TracedForwardedCall"), runs.get("BareTracedLine")
    u, direct = runs.get("UntracedForwardedCall"), runs.get("DirectEntryCall")
    m = runs.get("UntracedForwardedCallAmongManyHandles")
    return [
        ["forwarded call, trace open (ns, median of 5)", num(t), "", num(bare) +
         " (formatted write and flush of the same line)", num(ratio(t, bare), 2), "≤ 1.3",
         verdict(ratio(t, bare), 1.3, higher=False), num(load, 1)],
        ["forwarded call, no trace (ns, median of 5)", num(u), "", num(direct) +
         " (direct call of the applet's entry)", "%s ns over" % num(u - direct if u and direct
                                                                  else None),
         "≤ 20 ns over", verdict(u - direct if u and direct else None, 20, higher=False),
         num(load, 1)],
        ["forwarded call, no trace, 100 more grabbers open (ns, median of 5)", num(m), "",
         num(direct) + " (direct call of the applet's entry)",
         "%s ns over" % num(m - direct if m and direct else None), "≤ 20 ns over",
         verdict(m - direct if m and direct else None, 20, higher=False), num(load, 1)],
    ]


def serial_rows(extra):
    """Round trips per second through the serial library: `clser_bench --round-trips`
    runs two processes that each ask their camera (ports A and B of one UART) and
    read the answer SERIAL_TRIPS times, at once; the figure is the whole answers
    of both per second of the command's wall time."""
    path = os.path.join(BIN, SERIAL_BENCH)
    if not os.path.exists(path):
        return [["serial round trips per second", "not measured: %s is not built (no serial "
                 "benchmark in bench/clserqx3)" % SERIAL_BENCH, "", "", "", "", "—", ""]]
    load = loadavg()
    t0 = time.time()
    rc, out = run([path, "--round-trips", str(SERIAL_TRIPS)], timeout=240)
    wall = time.time() - t0
    extra.append(("Output of `%s --round-trips %d` (%.1f s)" % (rel(path), SERIAL_TRIPS, wall),
                  out))
    ports = re.findall(r"^[AB]\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s*$", out, re.M)
    if rc != 0 or len(ports) != 2:
        return [["serial round trips per second", "not measured: %s --round-trips failed "
                 "(exit %d)" % (SERIAL_BENCH, rc), "", "", "", "", "—", num(load, 1)]]
    whole = sum(int(p[1]) for p in ports)
    lost = sum(int(p[3]) for p in ports)
    other = sum(int(p[2]) for p in ports)
    return [["serial round trips per second (two processes, ports A and B at once)",
             "%s (%d whole, %d with the other camera's answer, %d lost)" %
             (num(whole / wall), whole, other, lost), "", "", "", "none in the issue", "—",
             num(load, 1)]]


def acqsim_rows():
    load = loadavg()
    rc, out = run([os.path.join(BIN, "acqsim_bench"), "0.5"])
    rows = []
    for m in re.finditer(r"^(grey|colour)\s+\S+\s+simulator\s+([\d.]+) us/picture\s+memcpy\s+"
                         r"([\d.]+) us/picture", out, re.M):
        s, c = float(m.group(2)), float(m.group(3))
        rows.append(["simulated board, %s 1024x1024 picture (µs)" % m.group(1), num(s), "",
                     num(c) + " (memcpy)", num(ratio(s, c), 2), "at most about one copy (≤ 1.2)",
                     verdict(ratio(s, c), 1.2, higher=False), num(load, 1)])
    return rows



def python_rows():
    """Pictures kept per second by the Python package's grab loop (numpy views of the
    grabber's memory appended to a recording) against the C `grab` tool, same
    simulator settings, one run each at 500 pictures/s."""
    load = loadavg()
    env = dict(os.environ, QUORLEX_LIBRARY_PATH=BIN)
    rc, out = run(["/usr/bin/python3", os.path.join(SRC, "bench", "python", "loop_bench.py"),
                   "--count", "500", "--rates", "500"], timeout=300, env=env)
    m = re.search(r"^\| (\d+)/s \| ([\d.]+) \((\d+)\) \| ([\d.]+) \((\d+)\) \|", out, re.M)
    if rc != 0 or not m:
        return [["Python grab loop, 1024x1024 grey", "not measured: loop_bench.py failed "
                 "(exit %d)" % rc, "", "", "", "", "—", num(load, 1)]]
    c, p = float(m.group(2)), float(m.group(4))
    return [["Python grab loop, 1024x1024 grey at %s/s (pictures kept per second, lost)" %
             m.group(1), "%s (%s)" % (num(p), m.group(5)), "%s (%s) (C grab)" % (num(c), m.group(3)),
             "", num(ratio(p, c), 2), "≥ 0.9", verdict(ratio(p, c), 0.9), num(load, 1)]]


# ------------------------------------------------------------------ the page

HEADER = ["Row", "Ours", "Peer", "Limit", "Ratio", "Target", "Met", "Load"]


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for r in rows:
        lines.append("| " + " | ".join(str(c) for c in r) + " |")
    return "\n".join(lines)


def main():
    os.makedirs(WORK, exist_ok=True)
    os.makedirs(SHM, exist_ok=True)
    started = datetime.datetime.now(datetime.timezone.utc)
    t0 = time.time()
    load_before = open("/proc/loadavg").read().split()[:3]
    m = machine()
    extra = []

    fio_disk = [fio(WORK)]
    fio_shm = fio(SHM, 2000)
    seq_rows = []
    rows_files_disk = file_rows(os.path.join(WORK, "files"), "disk")
    rows_files_shm = file_rows(os.path.join(SHM, "files"), "tmpfs")
    avi_rows = nimbrix_seq_and_avi(WORK, "disk", seq_rows)
    avi_rows += nimbrix_seq_and_avi(SHM, "tmpfs", None)
    shutil.rmtree(SHM, ignore_errors=True)
    grab, grab_notes, cpu, profiles, grab_reasons = grab_rows(fio_disk)
    disp = display_rows()
    fwd = forwarding_rows()
    ser = serial_rows(extra)
    sim = acqsim_rows()
    py = python_rows()

    load_after = open("/proc/loadavg").read().split()[:3]
    minutes = (time.time() - t0) / 60

    page = ["# Performance", "",
            "Written by `scripts/bench` on %s UTC; every figure below was measured in that run "
            "(%.1f minutes), by the commands listed at the end. Ratios are ours divided by the "
            "peer's or the limit's figure (higher is better, except for times)." %
            (started.strftime("%Y-%m-%d %H:%M"), minutes), "",
            "## Machine", "",
            "| | |", "|---|---|",
            "| Processor | %s |" % m["model"],
            "| Cores | %d |" % m["cores"],
            "| Memory | %s |" % m["memory"],
            "| Kernel | Linux %s |" % m["kernel"],
            "| Disk of the recordings | %s |" % m["disk"],
            "| Load average before (1, 5, 15 min) | %s |" % ", ".join(load_before),
            "| Load average after | %s |" % ", ".join(load_after), "",
            "The machine is shared: the Load column gives the one-minute load average when "
            "each row started. Disk figures move with the other work on the disk; tmpfs "
            "(`/dev/shm`) shows the processor's cost alone.", ""]

    page += ["## The main job: `grab` at 1024 × 1024", "",
             "The highest picture rate at which `grab` kept every picture (at most %d runs: "
             "first the rate that fills the disk's limit, then upwards while nothing is lost "
             "or the target's rate when pictures were lost, then bisection), as the megabytes "
             "per second recorded, against fio on the same file system (4,000,000-byte writes "
             "with O_DSYNC, 4 in flight, io_uring). fio runs before each search and once after "
             "the last; a row's limit is the better of the runs just before and just after its "
             "search, since the shared disk's speed moves from minute to minute; a row whose fio "
             "runs differ by 30 %% or more is searched once more between fio runs of its own, "
             "and the search whose runs agree better stands. All fio runs "
             "of the bench, in order (%d): %s MB/s." %
             (GRAB_RUNS, len([f for f in fio_disk if f]),
              ", ".join(num(f) for f in fio_disk)), "",
             table(["Row", "Highest rate without loss", "fio (limit, MB/s)", "Ratio",
                    "Runs (rate: result)", "Target", "Met", "Load"], grab), ""]
    page += grab_notes + [""]
    for title, text in profiles:
        page += [title + ":", "", "```", text, "```", ""]
    page += ["CPU time of the `grab` process (all its threads, the simulated board's included) "
             "while recording, per recorded GB, in the run at the highest rate kept (the exports "
             "after the recording are not counted):", "",
             table(["Row", "CPU seconds per GB", "Rate"], cpu) if cpu else "not measured", ""]

    page += ["## Image files (nimbrix)", "",
             "### The recording library alone", "",
             "`nimbrix_bench` writing a sequence recording of 1-megapixel pictures, against fio "
             "with the parameters above run by `nimbrix_bench` itself, the two alternating "
             "(MB/s, best of 3). fio on tmpfs for comparison, run by this script: %s MB/s." %
             num(fio_shm), "",
             table(HEADER, seq_rows), "", "### BMP and TIFF on the disk", "",
             "Throughput in MB/s of picture, 2048 × 2048, best of 20 writes into fresh files and "
             "20 reads, each program run twice in turn (ours, OpenCV, stb, and again) and the "
             "better round kept. Limit: a plain write or read of the same bytes. Ratio: ours to the "
             "limit / to OpenCV / to stb.", "",
             table(HEADER, rows_files_disk), "", "### BMP and TIFF on tmpfs", "",
             table(HEADER, rows_files_shm), "", "### AVI writing", "",
             "Ratio: ours to ffmpeg's rawvideo AVI mux / to OpenCV's VideoWriter (raw frames).",
             "", table(HEADER, avi_rows), ""]

    page += ["## Display (oculon)", "",
             "`DrawBuffer` into a 1024 × 1024 display against a bare loop of the system's own "
             "transfer of the same picture into the same window (limit: `XShmPutImage`, or "
             "`SetDIBitsToDevice` under Wine) and an SDL2 window with a streaming texture "
             "(peer: the better of SDL2's own choice of renderer and its software renderer), on Xvfb 1280 × 1024 × 24. Ratio: to the bare loop / to SDL2.", "",
             table(HEADER, disp), ""]
    for title, text in display_profile:
        page += [title + ":", "", "```", text, "```", ""]

    page += ["## Grabber access, serial port, simulated board, Python", "",
             table(HEADER, fwd + ser + sim + py), ""]
    for title, text in extra:
        page += [title + ":", "", "```", text.rstrip(), "```", ""]

    reasons.update({("grab", what): why for what, why in grab_reasons.items()})
    missed = ["%s: %s (target %s)%s" % (where, r[0], r[-3],
                                        (". Why: " + reasons[(where, r[0])])
                                        if (where, r[0]) in reasons else "")
              for where, rows in (("grab", grab), ("recording", seq_rows),
                                  ("files on the disk", rows_files_disk),
                                  ("files on tmpfs", rows_files_shm), ("AVI", avi_rows),
                                  ("display", disp), ("grabber access", fwd),
                                  ("simulated board", sim), ("Python", py))
              for r in rows if "missed" in str(r[-2])]
    page += ["## Rows that missed their target", ""]
    page += (["- " + r for r in missed] if missed else ["None."]) + [""]
    page += ["## Commands", "", "In the order they ran (from the source folder):", "", "```"]
    page += commands + ["```", ""]

    with open(os.path.join(SRC, "docs", "performance.md"), "w") as f:
        f.write("\n".join(page))
    say("docs/performance.md written (%.1f minutes)" % minutes)


if __name__ == "__main__":
    try:
        main()
    finally:
        shutil.rmtree(SHM, ignore_errors=True)
