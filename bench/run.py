#!/usr/bin/env python3
"""What `zerinctl -run` costs while it keeps the stand-in engine.

    python3 bench/run.py [--bin build/native/bin] [--runs 5] [--idle 60]

Each run copies the demo installation into a temporary folder, starts
`zerinctl -run sales admin secret` with NOTIFY_SOCKET on a datagram socket
held here, and measures:
  ready   from the engine's start record (written as it begins, before it
          listens) to the READY=1 notice: the readiness's delay;
  idle    CPU time and resident memory of the tool over IDLE seconds after
          READY=1 (on the first run only, unless --idle-every-run);
  stop    from SIGTERM to the tool's exit, against the engine's own time from
          its "vexa: SHUTDOWN received" line to its exit (a pidfd on it).
Prints one line per run and the medians.
"""
import argparse
import os
import select
import shutil
import signal
import socket
import statistics
import subprocess
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def install(folder, binaries):
    shutil.copytree(ROOT / "demo/common", folder, dirs_exist_ok=True)
    shutil.copytree(ROOT / "demo/posix", folder, dirs_exist_ok=True)
    (folder / "data/tmp").mkdir(parents=True, exist_ok=True)
    (folder / "quarra").mkdir(exist_ok=True)
    shutil.copy(binaries / "zerinctl", folder)
    shutil.copy(binaries / "vexa", folder / "vexa/vexa")
    cfg = folder / "zerin.cfg"
    cfg.write_text(cfg.read_text().replace("repository_data_directory, data",
                                           "repository_data_directory, %s/data" % folder))


def ticks(pid):
    fields = Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def rss_kib(pid):
    for line in Path("/proc/%d/status" % pid).read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])


def one_run(folder, idle):
    notices = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    name = "\0zerinctl-bench-%d" % os.getpid()
    notices.bind(name)
    env = dict(os.environ, NOTIFY_SOCKET="@" + name[1:], QUARRA_HOME=str(folder / "quarra"))
    tool = subprocess.Popen([str(folder / "zerinctl"), "-run", "sales", "admin", "secret"],
                            cwd=folder, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    lines = []
    reader = threading.Thread(target=lambda: [lines.append((time.time(), line.decode()))
                                              for line in tool.stdout])
    reader.start()
    notices.settimeout(20)
    assert notices.recv(64) == b"READY=1"
    ready = time.time()
    started = (folder / "data/tmp/vexa.started").stat().st_mtime_ns / 1e9
    result = {"ready_ms": (ready - started) * 1000}
    if idle:
        before = ticks(tool.pid)
        time.sleep(idle)
        result["idle_cpu_ticks"] = ticks(tool.pid) - before
        result["rss_kib"] = rss_kib(tool.pid)
    engine = int(Path("/proc/%d/task/%d/children" % (tool.pid, tool.pid)).read_text().split()[0])
    pidfd = os.pidfd_open(engine)
    ended = []
    watcher = threading.Thread(target=lambda: (select.select([pidfd], [], []),
                                               ended.append(time.time())))
    watcher.start()
    sent = time.time()
    tool.send_signal(signal.SIGTERM)
    tool.wait()
    exited = time.time()
    watcher.join()
    reader.join()
    os.close(pidfd)
    notices.close()
    shutdown = next(t for t, l in lines if "SHUTDOWN received" in l)
    result["stop_ms"] = (exited - sent) * 1000
    result["engine_ms"] = (ended[0] - shutdown) * 1000
    result["extra_ms"] = result["stop_ms"] - result["engine_ms"]
    assert tool.returncode == 0, "".join(l for _, l in lines)
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default=str(ROOT / "build/native/bin"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=60)
    parser.add_argument("--idle-every-run", action="store_true")
    args = parser.parse_args()
    results = []
    with tempfile.TemporaryDirectory() as temp:
        folder = Path(temp)
        install(folder, Path(args.bin))
        for run in range(args.runs):
            idle = args.idle if run == 0 or args.idle_every_run else 0
            results.append(one_run(folder, idle))
            print("run %d: %s" % (run + 1, ", ".join("%s %.1f" % kv for kv in results[-1].items())))
    for key in results[0]:
        values = [r[key] for r in results if key in r]
        print("median %s: %.1f (of %d)" % (key, statistics.median(values), len(values)))


main()
