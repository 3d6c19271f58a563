#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Deletes that run at the same time must not undo each other: ROUNDS rounds
# of PARALLEL `zerinctl -delete` processes, each removing a different
# repository of one COUNT-instance descriptor (defaults 5, 16, 32). Each
# process is started with a FIFO as standard input and waits at the
# confirmation question; once all of them wait, every one gets its "y" at
# once, so that their reads and rewrites of the descriptor overlap.
#
# After each round it counts the removed instances that are back in the
# descriptor and the kept ones that are gone (both should be 0), and whether
# the file is still well-formed, then lays out a fresh descriptor.
#
#   bash bench/concurrent_delete.sh
#   ZERINCTL_BIN=/path/to/other/build/bin ROUNDS=10 bash bench/concurrent_delete.sh
#
# Exits 1 when any round lost an update, so it can also show that a build
# without the lock around the rewrite fails it.
set -euo pipefail
export LC_ALL=C

. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/layout.sh"
ROUNDS=${ROUNDS:-5}
PARALLEL=${PARALLEL:-16}
COUNT=${COUNT:-32}

require xmlstarlet shuf

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
private_binaries "$work" zerinctl

install="$work/install"
lay_out_installation "$install" "$bin"
descriptor="$install/data/vexa_config.xml"
generate_descriptor "$COUNT" "$work/original.xml"
instance_names "$work/original.xml" >"$work/all"

total_back=0 total_gone=0 total_bad=0 total_failed=0
for ((r = 1; r <= ROUNDS; ++r)); do
  cp "$work/original.xml" "$descriptor"
  shuf -n "$PARALLEL" "$work/all" | sort >"$work/removed"
  mapfile -t victims <"$work/removed"

  pids=() fds=()
  for i in "${!victims[@]}"; do
    fifo="$work/answer.$i"
    rm -f "$fifo"
    mkfifo "$fifo"
    "$install/zerinctl" -delete "${victims[$i]}" <"$fifo" >"$work/out.$i" 2>&1 &
    pids+=($!)
    exec {fd}>"$fifo"
    fds+=("$fd")
  done
  # Every process has asked its question (bounded wait), then all are told yes.
  for ((k = 0; k < 500; ++k)); do
    waiting=0
    for i in "${!victims[@]}"; do
      grep -q 'Confirm remove repository (Y/N): ' "$work/out.$i" 2>/dev/null && waiting=$((waiting + 1))
    done
    ((waiting == ${#victims[@]})) && break
    sleep 0.01
  done
  for fd in "${fds[@]}"; do printf 'y\n' >&"$fd"; done
  for fd in "${fds[@]}"; do exec {fd}>&-; done

  failed=0
  for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
  pids=()
  not_found=$(cat "$work"/out.* | grep -c 'repository was not found' || true)

  if xmlstarlet val -q -w "$descriptor" 2>/dev/null; then
    instance_names "$descriptor" | sort >"$work/left"
    back=$(comm -12 "$work/removed" "$work/left" | wc -l)
    gone=$(sort "$work/all" | comm -23 - "$work/removed" | comm -23 - "$work/left" | wc -l)
    state="well-formed"
  else
    back="-" gone="-" state="NOT WELL-FORMED"
    total_bad=$((total_bad + 1))
  fi
  [[ "$back" == - ]] || total_back=$((total_back + back))
  [[ "$gone" == - ]] || total_gone=$((total_gone + gone))
  total_failed=$((total_failed + failed))
  printf 'round %d: %d deletes, %d exited non-zero, %d "not found"; removed but back: %s, kept but gone: %s; %s\n' \
    "$r" "${#victims[@]}" "$failed" "$not_found" "$back" "$gone" "$state"
done

leftovers=$(find "$install/data" -name '*.tmp' | wc -l)
echo "total over $ROUNDS rounds of $PARALLEL deletes on $COUNT instances: removed but back $total_back," \
  "kept but gone $total_gone (aim 0 and 0); malformed descriptors $total_bad;" \
  "non-zero exits $total_failed; temporary files left $leftovers"
((total_back == 0 && total_gone == 0 && total_bad == 0))
