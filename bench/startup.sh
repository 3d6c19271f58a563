#!/usr/bin/env bash
# What a bare `zerinctl` (no arguments) costs: process start plus XML library
# start and stop. Compared in one run with /bin/true (a process that does
# nothing) and xerces_floor (a process that only starts and stops the XML
# library, linked like the tool), so that the ratios hold on a noisy machine.
#
#   bash bench/startup.sh            # 200 timed runs of each
#   RUNS=50 bash bench/startup.sh    # quicker
#
# Instructions: valgrind --tool=callgrind, total Ir of the whole process
# (dynamic loader included). Wall time: hyperfine -N, split into rounds that
# alternate between the commands so that a slow spell of the machine hits all
# of them alike; the median over all rounds is reported.
set -euo pipefail

# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
RUNS=${RUNS:-200}
ROUNDS=${ROUNDS:-4}
WARMUP=${WARMUP:-10}

require valgrind hyperfine python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
private_binaries "$work" zerinctl xerces_floor

names=(true xerces_floor zerinctl)
commands=(/bin/true "$bin/xerces_floor" "$bin/zerinctl")

# Total instructions of one run of a command.
instructions() {
  local out="$work/callgrind.$1"
  valgrind --tool=callgrind --callgrind-out-file="$out" "${@:2}" >/dev/null 2>&1
  awk '/^summary:/ {print $2}' "$out"
}

declare -A ir
for i in "${!names[@]}"; do
  ir[${names[$i]}]=$(instructions "${names[$i]}" "${commands[$i]}")
done

# Wall time: ROUNDS rounds of RUNS/ROUNDS runs per command, rotating which
# command goes first so none always runs on a freshly warmed machine.
per_round=$(( (RUNS + ROUNDS - 1) / ROUNDS ))
for ((r = 0; r < ROUNDS; ++r)); do
  order=()
  for ((k = 0; k < ${#names[@]}; ++k)); do order+=($(( (k + r) % ${#names[@]} ))); done
  args=()
  for i in "${order[@]}"; do args+=(-n "${names[$i]}" "${commands[$i]}"); done
  hyperfine -N --style none --warmup "$WARMUP" --runs "$per_round" \
    --export-json "$work/round$r.json" "${args[@]}" >/dev/null 2>&1
done

python3 - "$work" "$ROUNDS" "${ir[true]}" "${ir[xerces_floor]}" "${ir[zerinctl]}" <<'EOF'
import json, statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
ir = dict(zip(["true", "xerces_floor", "zerinctl"], map(int, sys.argv[3:6])))
times = {}
for r in range(rounds):
    for result in json.load(open(f"{work}/round{r}.json"))["results"]:
        times.setdefault(result["command"], []).extend(result["times"])
med = {name: statistics.median(t) * 1e3 for name, t in times.items()}
print(f"{'command':<14}{'runs':>6}{'median ms':>11}{'min ms':>9}{'Ir':>14}")
for name in ["true", "xerces_floor", "zerinctl"]:
    print(f"{name:<14}{len(times[name]):>6}{med[name]:>11.3f}{min(times[name])*1e3:>9.3f}{ir[name]:>14,}")
print()
print(f"zerinctl / true          time {med['zerinctl']/med['true']:6.2f}x   Ir {ir['zerinctl']/ir['true']:8.1f}x")
print(f"zerinctl / xerces_floor  time {med['zerinctl']/med['xerces_floor']:6.2f}x   Ir {ir['zerinctl']/ir['xerces_floor']:8.3f}x")
print(f"zerinctl - xerces_floor  time {med['zerinctl']-med['xerces_floor']:+.3f} ms   Ir {ir['zerinctl']-ir['xerces_floor']:+,}")
EOF
