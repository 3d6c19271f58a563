#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# How long a repository takes from `zerinctl -start NAME u p` until the first
# `zerinctl -check NAME u p` that exits 0, on an installation laid out like
# the demo one (bench/layout.sh: the stand-in engine, a startvexa.sh that
# exits 1 at once, one local repository with its vexa.ini). The check is
# polled back to back, with no pause between tries. After each run the
# service is stopped with `-stop` and the next run waits until the engine has
# exited. Median of RUNS runs.
#
# For reference, in alternation with these runs: the same engine started
# directly by this script (same arguments, same working folder) and polled
# the same way, which is what the service itself and the polling cost
# without the tool's start.
#
#   bash bench/start_check.sh
#   RUNS=50 ZERINCTL_BIN=build/mine/bin bash bench/start_check.sh
#
# Only 127.0.0.1 / localhost is contacted. Engines are stopped with -stop and
# killed by their process id only if they linger.
set -euo pipefail
export LC_ALL=C

. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/layout.sh"
RUNS=${RUNS:-20}
POLL_LIMIT_US=${POLL_LIMIT_US:-5000000}

require python3 xmlstarlet

work=$(mktemp -d)
direct_pid=""
# Engines of this installation only: their executable is our copy of vexa.
engine_pids() {
  local exe pid
  for exe in /proc/[0-9]*/exe; do
    [[ "$exe" -ef "$work/install/vexa/vexa" ]] 2>/dev/null || continue
    pid=${exe#/proc/}
    echo "${pid%/exe}"
  done
}
cleanup() {
  local pid
  [[ -n "$direct_pid" ]] && kill "$direct_pid" 2>/dev/null
  for pid in $(engine_pids); do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
lay_out_r1_installation "$work"
tool="$install/zerinctl"

now_us() { echo "${EPOCHREALTIME/./}"; }

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

# Stops the engine with -stop and waits (bounded) until no engine of ours is
# left and the port is free again.
stop_engine() {
  local k pid
  "$tool" -stop r1 u p >/dev/null || true
  for ((k = 0; k < 100; ++k)); do
    [[ -z "$(engine_pids)" ]] && ! listening && return 0
    sleep 0.02
  done
  echo "start_check.sh: engine lingered; killed by pid" >&2
  for pid in $(engine_pids); do kill "$pid" 2>/dev/null || true; done
  sleep 0.2
}

# Polls -check until it exits 0; prints "elapsed_us tries" counted from $1.
poll_check() {
  local from=$1 tries=0 now
  while :; do
    tries=$((tries + 1))
    if "$tool" -check r1 u p >/dev/null; then
      now=$(now_us)
      echo "$((now - from)) $tries"
      return 0
    fi
    now=$(now_us)
    if ((now - from > POLL_LIMIT_US)); then
      echo "start_check.sh: no successful check within $((POLL_LIMIT_US / 1000)) ms" >&2
      return 1
    fi
  done
}

# Warm the file cache and check the set-up once.
said=$("$tool" -start r1 u p)
[[ "$said" == *"Starting Zerin service..."* ]] || { echo "start_check.sh: -start said: $said" >&2; exit 1; }
poll_check "$(now_us)" >/dev/null
stop_engine
said=$("$tool" -check r1 u p || true)
[[ "$said" == *"not running"* ]] || { echo "start_check.sh: engine still answers: $said" >&2; exit 1; }

: >"$work/tool.txt"
: >"$work/direct.txt"
for ((r = 0; r < RUNS; ++r)); do
  # Through the tool: -start, then poll.
  listening && { echo "start_check.sh: port $port busy before run $r" >&2; exit 1; }
  t0=$(now_us)
  "$tool" -start r1 u p >/dev/null
  t1=$(now_us)
  read -r total tries <<<"$(poll_check "$t0")"
  echo "$total $((t1 - t0)) $tries" >>"$work/tool.txt"
  stop_engine

  # The engine on its own, as the tool would have started it.
  listening && { echo "start_check.sh: port $port busy before direct run $r" >&2; exit 1; }
  t0=$(now_us)
  (cd "$install/data/tmp" && exec "$install/vexa/vexa" -c "$install/data/repositories/r1/vexa.ini" \
     -t "http://localhost:$port/?concurrency=5" -d >/dev/null 2>&1) &
  direct_pid=$!
  read -r total tries <<<"$(poll_check "$t0")"
  echo "$total 0 $tries" >>"$work/direct.txt"
  stop_engine
  wait "$direct_pid" 2>/dev/null || true
  direct_pid=""
done

python3 - "$work/tool.txt" "$work/direct.txt" "$RUNS" <<'EOF'
import statistics, sys
def load(path):
    rows = [list(map(int, line.split())) for line in open(path)]
    return [r[0] / 1e3 for r in rows], [r[1] / 1e3 for r in rows], [r[2] for r in rows]
total, start, tries = load(sys.argv[1])
dtotal, _, dtries = load(sys.argv[2])
med = statistics.median
print(f"runs: {sys.argv[3]} of each, check polled back to back")
print(f"-start to first -check exit 0     median {med(total):7.2f} ms  (min {min(total):.2f}, max {max(total):.2f}), checks {med(tries):g} (min {min(tries)}, max {max(tries)})")
print(f"  of which -start itself          median {med(start):7.2f} ms  (min {min(start):.2f}, max {max(start):.2f})")
print(f"engine launched directly (ref.)   median {med(dtotal):7.2f} ms  (min {min(dtotal):.2f}, max {max(dtotal):.2f}), checks {med(dtries):g}")
print(f"tool start minus direct start     {med(total) - med(dtotal):+.2f} ms (medians)")
EOF
