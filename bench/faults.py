#!/usr/bin/env python3
"""How many deliberate faults in the product code the test suite catches.

    python3 bench/faults.py --source DIR --build BUILDDIR [--only ID,...] [--dry-run]

BUILDDIR must be a configured native build of DIR. Each fault of faults.txt
(see its header) is looked up in DIR/src, applied, the build is brought up to
date and every test is run; a failing or timed-out test catches it. A fault
whose build fails is counted apart ("does not compile"), one whose original
text is not found exactly once is "n/a". A test still running after --timeout
seconds is killed and counts as failing (ctest's own --timeout does not
override the tests' TIMEOUT property). The file is put back byte for byte
after every fault, on errors and Ctrl-C too; the build folder is left built
from the unchanged sources. The suite must pass before any fault is applied.
Faults are written into DIR: point it at a copy of a tree that others edit.
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path


def load_faults(path):
    """[(id, what, original, faulty)] from the block format of faults.txt."""
    faults, current = [], None
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if line.startswith("@ "):
            ident, _, what = line[2:].partition("|")
            current = [ident.strip(), what.strip(), [], []]
            faults.append(current)
        elif line[:2] in ("- ", "+ ") and current is not None:
            current[2 if line[0] == "-" else 3].append(line[2:])
        elif line.strip() and not line.startswith("#"):
            sys.exit(f"{path}: cannot read line: {line!r}")
    ids = [f[0] for f in faults]
    if len(set(ids)) != len(ids):
        sys.exit(f"{path}: an id is used twice")
    return [(i, w, "\n".join(o).encode(), "\n".join(r).encode()) for i, w, o, r in faults]


def locate(source, original):
    """The one file under src/ holding `original` exactly once, or None."""
    hits = [p for p in sorted((source / "src").rglob("*"))
            if p.is_file() and original in p.read_bytes()]
    if len(hits) != 1 or hits[0].read_bytes().count(original) != 1:
        return None
    return hits[0]


def run(command, cwd, timeout):
    """(exit code, output); code None when it ran out of time. The whole
    process group goes on time-out or interrupt, engines started by tests too."""
    child = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, start_new_session=True)
    try:
        output, _ = child.communicate(timeout=timeout)
        return child.returncode, output.decode(errors="replace")
    except BaseException as error:
        os.killpg(child.pid, signal.SIGKILL)
        child.wait()
        if isinstance(error, subprocess.TimeoutExpired):
            return None, ""
        raise


def build(args):
    code, output = run(["cmake", "--build", str(args.build), "-j", str(args.jobs)],
                       args.build, 3600)
    return code == 0, output


def test_names(build_dir):
    code, output = run(["ctest", "-N"], build_dir, 120)
    return re.findall(r"Test +#\d+: (\S+)", output) if code == 0 else []


def failing_tests(args, names):
    """The tests that fail or run out of time, each run on its own, with the
    test cases that failed in each: "config_tests[Descriptor.Lookup,...]"."""
    failed = []
    for name in names:
        code, output = run(["ctest", "-R", f"^{re.escape(name)}$", "--timeout",
                            str(args.timeout), "--output-on-failure"],
                           args.build, args.timeout + 60)
        if code is None:
            failed.append(name + "(timeout)")
        elif code != 0:
            cases = sorted(set(re.findall(r"^\[  FAILED  \] (\w+\.\w+)", output, re.M)))
            failed.append(name + (f"[{','.join(cases)}]" if cases else ""))
    return failed


def try_fault(args, names, path, original, faulty):
    """'caught', 'MISSED' or 'no-compile', and the failing tests."""
    before = path.read_bytes()
    changed = before.replace(original, faulty, 1)
    try:
        path.write_bytes(changed)
        built, output = build(args)
        if not built:
            errors = [line for line in output.splitlines() if "error" in line]
            return "no-compile", errors[:1]
        failed = failing_tests(args, names)
        return ("caught" if failed else "MISSED"), failed
    finally:
        # Someone else's edit made meanwhile is never overwritten.
        if path.read_bytes() != changed:
            sys.exit(f"{path} changed while a fault was in it; restore it by hand")
        path.write_bytes(before)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", required=True, type=Path)
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--only", help="comma-separated fault ids")
    parser.add_argument("--faults", type=Path, default=Path(__file__).with_name("faults.txt"))
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--dry-run", action="store_true", help="only show where each fault goes")
    args = parser.parse_args()
    args.source, args.build = args.source.resolve(), args.build.resolve()

    faults = load_faults(args.faults)
    if args.only:
        wanted = args.only.split(",")
        unknown = set(wanted) - {f[0] for f in faults}
        if unknown:
            sys.exit(f"unknown fault ids: {', '.join(sorted(unknown))}")
        faults = [f for f in faults if f[0] in wanted]

    names = []
    if not args.dry_run:
        started = time.monotonic()
        if not build(args)[0]:
            sys.exit("the unchanged sources do not build")
        names = test_names(args.build)
        if not names:
            sys.exit("no tests found in the build folder")
        failed = failing_tests(args, names)
        if failed:
            sys.exit(f"the suite fails without a fault: {' '.join(failed)}")
        print(f"baseline: {len(names)} tests pass ({' '.join(names)}), "
              f"{time.monotonic() - started:.0f} s", flush=True)

    counts = {"caught": 0, "MISSED": 0, "no-compile": 0, "n/a": 0}
    total_start = time.monotonic()
    try:
        for ident, what, original, faulty in faults:
            path = locate(args.source, original)
            if path is None:
                result, detail, seconds = "n/a", [], 0.0
            elif args.dry_run:
                result, detail, seconds = "found", [], 0.0
            else:
                start = time.monotonic()
                result, detail = try_fault(args, names, path, original, faulty)
                seconds = time.monotonic() - start
            counts[result] = counts.get(result, 0) + 1
            where = path.relative_to(args.source) if path else "-"
            print(f"{ident:<22} {result:<10} {seconds:5.0f} s  {str(where):<32} "
                  f"{' '.join(detail) or '-'}  # {what}", flush=True)
    finally:
        if not args.dry_run:
            build(args)  # the build folder matches the restored sources again
    applicable = counts["caught"] + counts["MISSED"]
    print(f"{counts['n/a']} n/a, {counts['no-compile']} do not compile, "
          f"{time.monotonic() - total_start:.0f} s for the faults")
    print(f"caught {counts['caught']} of {applicable} applicable faults")


if __name__ == "__main__":
    main()
