#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# A delete that dies or fails part-way must leave the descriptor either as it
# was or as the finished delete writes it, never anything in between. Under
# strace, `zerinctl -delete repoCOUNT` (answer y, a removevexa.sh that exits
# 1, a descriptor of COUNT instances, default 100) is
#
#   killed   with SIGKILL on entry to the Nth openat, write, fsync, rename,
#            close, fchmod and fchown (`-e inject=CALL:signal=KILL:when=N`);
#   failed   with ENOSPC at the Nth write, and with EIO at the Nth openat,
#            fsync, rename and close (`-e inject=CALL:error=ERR:when=N`);
#
# for N = 1, 2, ... until a run goes through without an injection (strace
# counts each process's calls on its own, so N runs up to the largest count
# of any process, the removal script's shells included). Every call is hit,
# not only those of the rewrite; each run is placed before, inside (from
# creating the temporary file up to the rename) or after the rewrite from
# strace's log. After each run the descriptor must be byte for byte the old
# one or the one that an untraced delete writes.
#
#   bash bench/crash_delete.sh
#   COUNT=10000 bash bench/crash_delete.sh
#
# Exits 1 when a run left a descriptor that is neither.
set -euo pipefail
export LC_ALL=C

. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/layout.sh"
COUNT=${COUNT:-100}
MAX_N=${MAX_N:-1000}

require strace cmp

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
private_binaries "$work" zerinctl

install="$work/install"
lay_out_installation "$install" "$bin"
data="$install/data"
descriptor="$data/vexa_config.xml"
generate_descriptor "$COUNT" "$work/old.xml"
victim="repo$COUNT"
printf 'y\n' >"$work/yes"
traced=openat,write,fsync,rename,close,fchmod,fchown

restore() {
  cp "$work/old.xml" "$descriptor"
  rm -f "$data"/*.tmp
}

# The expected new descriptor, from an untraced run.
restore
"$install/zerinctl" -delete "$victim" <"$work/yes" >/dev/null
cp "$descriptor" "$work/new.xml"
cmp -s "$work/old.xml" "$work/new.xml" && { echo "crash_delete.sh: the delete changed nothing" >&2; exit 1; }

# Where in the log the injection hit: before, inside or after the rewrite.
# An injected error is marked INJECTED on its call; a killed call has no
# result ("= ?" or unfinished) and the process's death follows it.
phase() {
  awk '
    /\.tmp", O_WRONLY/ && !started { started = 1 }
    /INJECTED|\+\+\+ killed by SIGKILL/ {
      print (started ? (renamed ? "after" : "inside") : "before"); found = 1; exit
    }
    /^[0-9]+ +rename\(.*\.tmp".*= 0$/ && started { renamed = 1 }
    END { if (!found) print "none" }' "$1"
}

printf '%-24s %5s %7s %7s %7s %5s %5s %8s %8s\n' injection runs before inside after old new neither "tmp left"
total_runs=0 total_neither=0 total_inside=0
# One group of runs: $1 is the strace inject expression, ending in when=N.
run_group() {
  local injection=$1 label=$2 n p runs=0 before=0 inside=0 after=0 old=0 new=0 neither=0 left=0
  for ((n = 1; n <= MAX_N; ++n)); do
    restore
    rm -f "$work/log"
    # In a subshell that outlives strace, so that the notice of a killed job
    # goes nowhere.
    (strace -f -qq -o "$work/log" -e trace="$traced" -e inject="${injection/when=N/when=$n}" \
      "$install/zerinctl" -delete "$victim" <"$work/yes" >/dev/null 2>&1 || true) 2>/dev/null
    [[ -s "$work/log" ]] || { echo "crash_delete.sh: strace failed with $injection" >&2; exit 1; }
    p=$(phase "$work/log")
    [[ "$p" == none ]] && break
    runs=$((runs + 1))
    case "$p" in before) before=$((before + 1)) ;; inside) inside=$((inside + 1)) ;; *) after=$((after + 1)) ;; esac
    if cmp -s "$descriptor" "$work/old.xml"; then old=$((old + 1))
    elif cmp -s "$descriptor" "$work/new.xml"; then new=$((new + 1))
    else
      neither=$((neither + 1))
      cp "$descriptor" "$work/neither.$label.$n"
      echo "crash_delete.sh: $injection at N=$n ($p) left a descriptor that is neither" >&2
    fi
    compgen -G "$data/*.tmp" >/dev/null && left=$((left + 1))
  done
  ((n > MAX_N)) && echo "crash_delete.sh: $label still injecting at N=$MAX_N" >&2
  printf '%-24s %5d %7d %7d %7d %5d %5d %8d %8d\n' "$label" "$runs" "$before" "$inside" "$after" \
    "$old" "$new" "$neither" "$left"
  total_runs=$((total_runs + runs))
  total_neither=$((total_neither + neither))
  total_inside=$((total_inside + inside))
}

for call in openat write fsync rename close fchmod fchown; do
  run_group "$call:signal=KILL:when=N" "SIGKILL at $call"
done
run_group "write:error=ENOSPC:when=N" "ENOSPC at write"
for call in openat fsync rename close; do
  run_group "$call:error=EIO:when=N" "EIO at $call"
done

echo "descriptor: $COUNT instances, $(stat -c %s "$work/old.xml") bytes old, $(stat -c %s "$work/new.xml") bytes new"
echo "total: $total_runs runs with an injection, $total_inside of them inside the rewrite;" \
  "descriptors that are neither old nor new: $total_neither (aim 0)"
((total_neither == 0))
