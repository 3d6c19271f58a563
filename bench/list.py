#!/usr/bin/env python3
"""What `zerinctl -list` costs against checking the same repositories one by one.

    python3 bench/list.py [--bin build/native/bin] [--runs 5] [--no-silent]

1. 1,000 repositories, half of them answering (a python3 peer on 500
   localhost ports), half refused: `-list -json`, median of RUNS, against
   1,000 sequential `-check NAME` runs of the same names, timed as one.
2. 16 repositories, 8 of them silent (listening, never answering): `-list`
   against one `-check` of a silent one. Each waits out the tool's receive
   time-out twice, so this part takes about two minutes (--no-silent skips
   it).
3. Peak memory (maximum resident set) of `-list -names` on a 10,000-repository
   descriptor, against `-check` of the last name in the same file (a lookup
   by name; its service refuses).

Everything runs in a temporary installation and talks only to 127.0.0.1;
the peers are this script's own threads and end with it.
"""
import argparse
import asyncio
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ANSWER = b"HTTP/1.1 200 OK\r\nContent-length: 2\r\n\r\nok"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def answering_peer(count):
    """Ports on which a peer answers every request with success."""
    loop = asyncio.new_event_loop()
    ports, ready = [], threading.Event()

    async def serve(reader, writer):
        try:
            while True:
                head = await reader.readuntil(b"\r\n\r\n")
                length = 0
                for line in head.split(b"\r\n"):
                    if line.lower().startswith(b"content-length:"):
                        length = int(line.split(b":")[1])
                await reader.readexactly(length)
                writer.write(ANSWER)
                await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError):
            writer.close()

    async def start():
        for _ in range(count):
            server = await asyncio.start_server(serve, "127.0.0.1", 0, backlog=256)
            ports.append(server.sockets[0].getsockname()[1])
        ready.set()

    threading.Thread(target=lambda: (loop.run_until_complete(start()), loop.run_forever()),
                     daemon=True).start()
    ready.wait()
    return ports


def silent_listeners(count):
    """Listening sockets that never accept: a connection is made, no byte comes back."""
    listeners = []
    for _ in range(count):
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        s.listen(64)
        listeners.append(s)
    return listeners


def installation(root, binary, entries):
    tool, data = os.path.join(root, "tool"), os.path.join(root, "data")
    os.makedirs(tool, exist_ok=True)
    os.makedirs(data, exist_ok=True)
    shutil.copy(binary, os.path.join(tool, "zerinctl"))
    with open(os.path.join(tool, "zerin.cfg"), "w") as f:
        f.write(f"repository_data_directory,{data}\n")
    with open(os.path.join(data, "vexa_config.xml"), "w") as f:
        f.write("<config>\n")
        for name, port in entries:
            f.write(f'  <instance name="{name}" port="1" vexaport="{port}"/>\n')
        f.write("</config>\n")
    return os.path.join(tool, "zerinctl")


def timed(command):
    """Seconds and peak resident kilobytes of one run. GNU time measures the
    memory: a child of this interpreter would count the interpreter's own
    pages, which it shares until it runs the program."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=False)
    return time.perf_counter() - start, int(result.stderr.split()[-1])


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default=os.path.join(here, "build", "native", "bin"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-silent", action="store_true")
    args = parser.parse_args()
    binary = os.path.join(args.bin, "zerinctl")
    root = tempfile.mkdtemp()
    try:
        up = answering_peer(500)
        entries = [(f"r{i}", up[i // 2] if i % 2 == 0 else free_port()) for i in range(1000)]
        tool = installation(os.path.join(root, "a"), binary, entries)
        lists = [timed([tool, "-list", "-json"])[0] for _ in range(args.runs)]
        start = time.perf_counter()
        for name, _ in entries:
            subprocess.run([tool, "-check", name, "u", "p"], stdout=subprocess.DEVNULL)
        checks = time.perf_counter() - start
        print(f"1. 1,000 repositories (500 answering, 500 refused): -list -json median "
              f"{statistics.median(lists) * 1e3:.0f} ms of {args.runs} "
              f"(min {min(lists) * 1e3:.0f}, max {max(lists) * 1e3:.0f}); 1,000 sequential "
              f"-check {checks * 1e3:.0f} ms; ratio {statistics.median(lists) / checks:.3f}")

        if not args.no_silent:
            silent = silent_listeners(8)
            entries = [(f"s{i}", s.getsockname()[1]) for i, s in enumerate(silent)]
            entries += [(f"u{i}", up[i]) for i in range(8)]
            tool = installation(os.path.join(root, "b"), binary, entries)
            one, _ = timed([tool, "-check", "s0", "u", "p"])
            listing, _ = timed([tool, "-list"])
            print(f"2. 8 silent among 16: -list {listing:.1f} s, one -check of a silent service "
                  f"{one:.1f} s; ratio {listing / one:.2f}")

        entries = [(f"repository{i}", free_port() if i == 9999 else 1) for i in range(10000)]
        tool = installation(os.path.join(root, "c"), binary, entries)
        names = sorted(timed([tool, "-list", "-names"])[1] for _ in range(args.runs))
        lookup = sorted(timed([tool, "-check", "repository9999", "u", "p"])[1]
                        for _ in range(args.runs))
        size = os.path.getsize(os.path.join(root, "c", "data", "vexa_config.xml"))
        print(f"3. 10,000 repositories ({size / 1024:.0f} KiB descriptor): peak memory of "
              f"-list -names {names[len(names) // 2]} KiB, of a lookup by name "
              f"{lookup[len(lookup) // 2]} KiB (medians); ratio "
              f"{names[len(names) // 2] / lookup[len(lookup) // 2]:.2f}")
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
