#!/usr/bin/env bash
# What `zerinctl -check` costs against a local service, in three cases:
#
#  1. a running service (the stand-in engine `vexa` on a free localhost
#     port): median of RUNS runs, compared in the same run with curl sending
#     the same PING by hand;
#  2. a port where nothing listens: the tool tries twice and gives up;
#  3. a peer that accepts the connection and never answers (a python3
#     listener on 127.0.0.1): the tool waits out its receive time-out on each
#     of its two attempts, so this takes about a minute and runs once
#     (SILENT=0 skips it).
#
#   bash bench/check.sh
#   RUNS=100 DEAD_RUNS=20 SILENT=1 bash bench/check.sh
#
# Wall time: hyperfine -N, in rounds that rotate the order of the commands;
# instructions: callgrind, one run each (the network wait costs none).
# Only 127.0.0.1 / localhost is ever contacted. The engine is stopped with
# `zerinctl -stop` at the end, and killed by its process id if it lingers.
set -euo pipefail

# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
RUNS=${RUNS:-100}
ROUNDS=${ROUNDS:-4}
DEAD_RUNS=${DEAD_RUNS:-20}
SILENT=${SILENT:-1}
PING='<UMF_PROC><NAME>PING</NAME></UMF_PROC>'

require hyperfine python3 curl valgrind

work=$(mktemp -d)
engine_pid=""
silent_pid=""
cleanup() {
  # Only what this script started, by its own process id.
  if [[ -n "$engine_pid" ]]; then kill "$engine_pid" 2>/dev/null || true; fi
  if [[ -n "$silent_pid" ]]; then kill "$silent_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
private_binaries "$work" zerinctl vexa

# Waits (bounded) until something accepts connections on 127.0.0.1:$1.
wait_listening() {
  for ((k = 0; k < 100; ++k)); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

median_ms() {  # label json...
  python3 - "$@" <<'EOF'
import json, statistics, sys
label, files = sys.argv[1], sys.argv[2:]
t = [x for f in files for r in json.load(open(f))["results"] if r["command"] == label for x in r["times"]]
print(f"{statistics.median(t) * 1e3:.3f} {len(t)} {min(t) * 1e3:.3f} {max(t) * 1e3:.3f}")
EOF
}

instructions() {
  local out="$work/callgrind.out"
  valgrind --tool=callgrind --callgrind-out-file="$out" "$@" >/dev/null 2>&1 || true
  awk '/^summary:/ {print $2}' "$out"
}

live_port=$(free_port)
dead_port=$(free_port)
while [[ "$dead_port" == "$live_port" ]]; do dead_port=$(free_port); done

# The installation: the tool beside its settings file, the descriptor in the
# data folder. repoLive/repoDead name their service port by the default rule
# (port + 1); repoSilent names it explicitly once the listener has one.
install="$work/install"
data="$work/data"
mkdir -p "$install" "$data"
cp "$bin/zerinctl" "$install/zerinctl"
echo "repository_data_directory,$data" >"$install/zerin.cfg"
tool="$install/zerinctl"

# The silent peer: accepts, reads nothing, answers nothing; gone by itself
# after a bounded time even if this script dies.
silent_port=0
if [[ "$SILENT" == 1 ]]; then
  python3 - "$work/silent.port" "$work/silent.log" <<'EOF' &
import socket, sys, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 0))
s.listen(8)
s.settimeout(0.5)
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
held, deadline = [], time.time() + 180
while time.time() < deadline:
    try:
        c, _ = s.accept()
    except socket.timeout:
        continue
    held.append(c)
    with open(sys.argv[2], "a") as log:
        log.write(f"{time.time():.3f} accepted\n")
EOF
  silent_pid=$!
  for ((k = 0; k < 100; ++k)); do
    [[ -s "$work/silent.port" ]] && break
    sleep 0.05
  done
  silent_port=$(cat "$work/silent.port")
fi

cat >"$data/vexa_config.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<repositories>
  <instance name="repoLive" port="$((live_port - 1))" host="localhost"/>
  <instance name="repoDead" port="$((dead_port - 1))" host="localhost"/>
  <instance name="repoSilent" port="1" vexaport="$silent_port" host="localhost"/>
</repositories>
EOF

touch "$work/vexa.conf"
"$bin/vexa" -c "$work/vexa.conf" -t "http://localhost:$live_port/?concurrency=5" -d \
  >"$work/vexa.log" 2>&1 &
engine_pid=$!
wait_listening "$live_port" || { echo "check.sh: vexa did not start" >&2; exit 1; }

# Both must get the engine's answer before anything is timed.
said=$("$tool" -check repoLive u p) || true
[[ "$said" == "Zerin service is running on host localhost, port $live_port" ]] ||
  { echo "check.sh: -check said '$said'" >&2; exit 1; }
curl_cmd=(curl -s -X POST --data-binary "$PING" "http://localhost:$live_port/")
[[ "$("${curl_cmd[@]}")" == *"<STATUS>OK</STATUS>"* ]] || { echo "check.sh: curl got no answer" >&2; exit 1; }

# 1. Running service, interleaved rounds.
q() { printf '%q ' "$@"; }
check_cmd=$(q "$tool" -check repoLive u p)
curl_line=$(q "${curl_cmd[@]}")
per_round=$(( (RUNS + ROUNDS - 1) / ROUNDS ))
jsons=()
for ((r = 0; r < ROUNDS; ++r)); do
  if ((r % 2 == 0)); then order=(-n check "$check_cmd" -n curl "$curl_line")
  else order=(-n curl "$curl_line" -n check "$check_cmd"); fi
  hyperfine -N --style none --warmup 5 --runs "$per_round" \
    --export-json "$work/live$r.json" "${order[@]}" >/dev/null 2>&1
  jsons+=("$work/live$r.json")
done
read -r check_ms check_n check_min check_max <<<"$(median_ms check "${jsons[@]}")"
read -r curl_ms curl_n curl_min curl_max <<<"$(median_ms curl "${jsons[@]}")"
check_ir=$(instructions "$tool" -check repoLive u p)
curl_ir=$(instructions "${curl_cmd[@]}")

# 2. Nothing listening.
set +e
dead_said=$("$tool" -check repoDead u p); dead_rc=$?
set -e
hyperfine -N --style none -i --warmup 2 --runs "$DEAD_RUNS" \
  --export-json "$work/dead.json" -n dead "$(q "$tool" -check repoDead u p)" >/dev/null 2>&1
read -r dead_ms dead_n dead_min dead_max <<<"$(median_ms dead "$work/dead.json")"

# 3. A peer that never answers: once, timed around the whole process.
if [[ "$SILENT" == 1 ]]; then
  set +e
  start=$(date +%s.%N)
  silent_said=$("$tool" -check repoSilent u p); silent_rc=$?
  end=$(date +%s.%N)
  set -e
  silent_s=$(python3 -c "print(f'{$end - $start:.3f}')")
  silent_accepts=$(grep -c accepted "$work/silent.log" 2>/dev/null || echo 0)
  kill "$silent_pid" 2>/dev/null || true
  wait "$silent_pid" 2>/dev/null || true
  silent_pid=""
fi

# Stop the engine the way an operator would; kill it only if it lingers.
stop_said=$("$tool" -stop repoLive u p || true)
for ((k = 0; k < 50 && $(kill -0 "$engine_pid" 2>/dev/null && echo 1 || echo 0) == 1; ++k)); do sleep 0.1; done
if kill -0 "$engine_pid" 2>/dev/null; then
  engine_stopped="no (killed by pid)"; kill "$engine_pid" 2>/dev/null || true
else
  engine_stopped="yes"
fi
wait "$engine_pid" 2>/dev/null || true
engine_pid=""

printf '%-34s %6s %10s %9s %9s %14s\n' case runs "median ms" "min ms" "max ms" Ir
printf '%-34s %6s %10s %9s %9s %14s\n' "zerinctl -check (vexa running)" "$check_n" "$check_ms" "$check_min" "$check_max" "$(python3 -c "print(f'{$check_ir:,}')")"
printf '%-34s %6s %10s %9s %9s %14s\n' "curl POST PING (vexa running)" "$curl_n" "$curl_ms" "$curl_min" "$curl_max" "$(python3 -c "print(f'{$curl_ir:,}')")"
printf '%-34s %6s %10s %9s %9s\n' "zerinctl -check (nothing listens)" "$dead_n" "$dead_ms" "$dead_min" "$dead_max"
if [[ "$SILENT" == 1 ]]; then
  printf '%-34s %6s %10s\n' "zerinctl -check (silent peer)" 1 "$(python3 -c "print(f'{$silent_s * 1000:.0f}')")"
fi
echo
python3 -c "print(f'check / curl: time {$check_ms / $curl_ms:.3f}x (aim <= 0.8), Ir {$check_ir / $curl_ir:.3f}x')"
echo "-check, running:        \"$said\""
echo "-check, nothing listens: exit $dead_rc, \"$dead_said\""
if [[ "$SILENT" == 1 ]]; then
  echo "-check, silent peer:     exit $silent_rc after $silent_s s, $silent_accepts connection(s) accepted, \"$silent_said\""
fi
echo "-stop:                   \"$(echo "$stop_said" | tr '\n' ' ' | sed 's/ $//')\"; engine exited: $engine_stopped"
