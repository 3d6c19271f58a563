#!/usr/bin/env bash
# Builds the fuzz flavour and runs each libFuzzer target under fuzz/ for a
# bounded time, starting from its seeds in fuzz/corpus/<target>. The seeds
# are copied to a scratch folder first: the repository is never written.
#
#   fuzz.sh [target...]   (default: every fuzz/*_fuzz.cpp)
#
# ZERINCTL_FUZZ_SECONDS sets the time per target (default 20). Prints one
# line per target with the number of inputs run; exits 1 when any target
# crashed, leaked, hung, ran out of memory or made a sanitizer report. The
# log and the input that did it stay in build/fuzz/findings/<target>.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${ZERINCTL_FUZZ_SECONDS:-20}
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for source in "$here"/fuzz/*_fuzz.cpp; do
    name=${source##*/}
    targets+=("${name%.cpp}")
  done
fi

"$here/scripts/build.sh" fuzz "${targets[@]}"

# The targets that read files write the input to a temporary folder first:
# in memory when the machine has a tmpfs for it, as a disk makes them ten
# times slower.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$here/build/fuzz/findings"
status=0
for target in "${targets[@]}"; do
  corpus="$scratch/$target"
  out="$findings/$target"
  rm -rf "$out"
  mkdir -p "$corpus" "$out"
  if [ -d "$here/fuzz/corpus/$target" ]; then cp -R "$here/fuzz/corpus/$target/." "$corpus/"; fi
  seeds=$(find "$corpus" -type f | wc -l)
  extra=()
  if [ -f "$here/fuzz/$target.dict" ]; then extra+=(-dict="$here/fuzz/$target.dict"); fi

  # Standard output is closed (-close_fd_mask=1): the tool's messages would
  # only slow the run down. Reports go to standard error, into the log.
  # An input counts as hung after a minute: the sanitizers make each entity
  # expansion a fresh mapping of memory, so a descriptor that reaches the
  # expansion cap takes some twenty seconds here (a fraction of one natively).
  rc=0
  env -u ZERINCTL_TRACE "$here/build/fuzz/bin/$target" "${extra[@]}" \
    -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
    -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$out/" "$corpus" \
    >"$out/log.txt" 2>&1 || rc=$?

  runs=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$out/log.txt")
  if [ "$rc" -ne 0 ] ||
     grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|^SUMMARY: ' "$out/log.txt"; then
    echo "fuzz: $target FAILED (exit $rc after ${runs:-?} runs); log and input in $out"
    grep -E -A 30 'ERROR: |runtime error:|==[0-9]+==' "$out/log.txt" | head -n 60 || tail -n 30 "$out/log.txt"
    status=1
  else
    echo "fuzz: $target: ${runs:-?} runs in $seconds s, corpus $seeds -> $(find "$corpus" -type f | wc -l) inputs"
    rm -rf "$out"
  fi
done
exit "$status"
