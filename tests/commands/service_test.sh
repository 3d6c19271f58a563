#!/usr/bin/env bash
# A repository's Windows service under Wine's own Service Control Manager:
# -register and what it hands the manager, the service's start, stop and
# failures, a boot, -unregister, and -run's job. Wine 8 keeps a prefix's
# services only while another program of the prefix runs, so a keeper
# (find.exe reading a pipe held open here) comes first and goes last, and
# ending it and starting another is a boot. That ends every program of the
# prefix, hence a prefix of the test's own.
#   service_test.sh ZERINCTL.EXE VEXA.EXE PREFIX
# What Wine does not do (recovery, SHUTDOWN and PRESHUTDOWN controls, the
# event log's text, access lists) is checked through the plan the tool hands
# the system: tests/platform/service_plan_win32_test.cpp.
set -euo pipefail

WINEPREFIX=$(realpath -m "$3")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" LC_ALL=C.UTF-8
# Its folder has a short name of its own, which paths in 8.3 form keep.
root=$(mktemp -d /tmp/zsvcXXXX)
mkdir -p "$root/tool/vexa" "$root/tool/templates" "$root/data/repositories/sales" "$root/data/tmp"
cp "$1" "$root/tool/zerinctl.exe"
cp "$2" "$root/tool/vexa/vexa.exe"
# Wine shows Linux paths as drive Z:.
win="Z:${root//\//\\}"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'repository_data_directory, "%s\\data"\n' "$win" >"$root/tool/zerin.cfg"
printf '<config><instance name="sales" port="1" vexaport="%s" host=""/></config>\n' "$port" \
  >"$root/data/vexa_config.xml"
echo CONNECTION=x >"$root/data/repositories/sales/vexa.ini"
# The database's start takes four seconds: long enough to see a checkpoint
# after the first (one a second) even when each query of a busy Wine takes
# most of a second.
printf '@ping -n 5 127.0.0.1 >nul\r\n@exit 1\r\n' >"$root/tool/templates/startvexa.bat"
secret="pw-$RANDOM-$$-zq"
log="$root/data/logs/sales.log"
key='HKLM\SYSTEM\CurrentControlSet\Services\zerinctl-sales'
failed=0

expect() {
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: [$2], not [$3]"; failed=1; fi
}
tool() { wine "$root/tool/zerinctl.exe" "$@" | tr -d '\r'; }
# STATE WIN32_EXIT_CODE SERVICE_EXIT_CODE CHECKPOINT, as sc prints them.
query() {
  wine sc query zerinctl-sales | tr -d '\r' |
    awk '$1 == "STATE" {s = $4} $1 == "WIN32_EXIT_CODE" {w = $3}
         $1 == "SERVICE_EXIT_CODE" {c = $3} $1 == "CHECKPOINT" {k = $3} END {print s, w, c, k}'
}
# Polls until the state begins with $1 (within $2 seconds, 30 unless said).
await() {
  local i now
  for ((i = 0; i < ${2:-30} * 4; i++)); do
    now=$(query)
    if [[ $now == "$1"* ]]; then return 0; fi
    sleep 0.25
  done
  echo "FAIL: never $1 (last: $now)"
  failed=1
}
# The processes whose command lines, words joined by blanks, hold $1;
# nothing here puts $1 on a command line of its own.
processes() {
  local file
  for file in /proc/[0-9]*/cmdline; do
    if [[ "$({ tr '\0' ' ' <"$file"; } 2>/dev/null)" == *"$1"* ]]; then echo "${file//[^0-9]/}"; fi
  done
}
left() { processes "${1:-$win}" | wc -l; }
awaitNoneLeft() {
  local i
  for ((i = 0; i < 40 && $(left) > 0; i++)); do sleep 0.25; done
  expect "$1: nothing of the installation runs" "$(left)" 0
}
# The pipe's writing end is held by a process of its own: a descriptor of
# this shell's would pass to every Wine program started from here.
keeper() {
  [ -p "$root/keep" ] || mkfifo "$root/keep"
  wine find x <"$root/keep" >/dev/null 2>&1 &
  keeperId=$!
  sleep 3600 >"$root/keep" &
  holderId=$!
}
endKeeper() {
  kill "${holderId:-}" 2>/dev/null || true
  wait "${keeperId:-}" 2>/dev/null || true
  wineserver -w
}
# shellcheck disable=SC2317 # run by the trap
cleanUp() {
  tool -unregister sales >/dev/null 2>&1 || true
  for pid in $(processes "$win"); do
    kill -9 "$pid" 2>/dev/null || true
  done
  endKeeper
  rm -rf "$root"
}

trap cleanUp EXIT
keeper
tool -unregister sales >/dev/null

expect "the service word from a console" "$(tool -service sales; echo "status ${PIPESTATUS[0]}")" \
  "-service is run by the Service Control Manager, not from a console: start the service with \"sc start zerinctl-sales\" or \"net start zerinctl-sales\", or run the repository in this console with -run
status 255"
expect "register" "$(echo "$secret" | tool -register sales admin -)" \
  "Service zerinctl-sales registered (start auto)"
config=$(wine reg query "$key" /s | tr -d '\r')
expect "the binary path, quoted" "$(awk '$1 == "ImagePath" {sub(/^ *ImagePath *REG_SZ */, ""); print}' <<<"$config")" \
  "\"$win\\tool\\zerinctl.exe\" -service sales"
expect "automatic start" "$(awk '$1 == "Start" {print $3}' <<<"$config")" 0x2
expect "the password nowhere in the registration" "$(grep -c -F "$secret" <<<"$config")" 0
stored=$(find "$WINEPREFIX/drive_c/ProgramData/zerinctl" -name sales.password)
expect "the stored password not plain text" "$(grep -c -a -F "$secret" "$stored")" 0
expect "register again" "$(echo "$secret" | tool -register sales admin -)" \
  "Service zerinctl-sales is registered with these settings already: unchanged"
before=$(md5sum <"$stored")
expect "register with other settings" "$(tool -register sales admin other delayed)" \
  "Service zerinctl-sales updated (start delayed)"
expect "delayed start" "$(wine reg query "$key" /v DelayedAutoStart | tr -d '\r' | awk 'NF == 3 {print $3}')" 0x1
expect "the password replaced" "$([ "$(md5sum <"$stored")" != "$before" ] && echo yes)" yes
echo "$secret" | ZERINCTL_SHUTDOWN_TIMEOUT=2 tool -register sales admin - >/dev/null

# A start: pending with checkpoints while the database starts, running
# once the engine answers, with the registered password and no console.
# Wine's sc may return only once the start is over: the states are read
# meanwhile, until running or 30 s.
wine sc start zerinctl-sales >/dev/null &
starter=$!
checkpoints=""
for ((i = 0; i < 300; i++)); do
  now=$(query)
  if [[ $now == RUNNING* ]]; then break; fi
  if [[ $now == START_PENDING* ]]; then checkpoints+=" ${now##* }"; fi
  sleep 0.1
done
wait "$starter"
expect "checkpoints while pending" "$(grep -c -E ' 0x[1-9]' <<<"$checkpoints")" 1
await RUNNING
expect "running once the engine answers" "$(tool -check sales u p)" \
  "Zerin service is running on host localhost, port $port"
expect "the engine has the password" "$(grep -c -x "VEXAPASSWD=$secret" "$root/data/tmp/vexa.started")" 1
expect "no command line shows the password" "$(left "$secret")" 0
wine sc stop zerinctl-sales >/dev/null
await "STOPPED 0 0"
# The engine's lines end as it writes them (CR LF), the tool's in LF.
expect "a stop sends SHUTDOWN" "$(tail -n 4 "$log" | tr -d '\r')" "Stopping local Zerin service
vexa: SHUTDOWN received
Shutdown command sent to Zerin service
Zerin service stopped (exit code 0)"
awaitNoneLeft "stopped"

# Failures: an engine that is killed, one that ignores SHUTDOWN; each
# leaves a child that only its job ends.
for failure in killed ignore-shutdown; do
  echo orphan >"$root/data/tmp/vexa.standin"
  [ "$failure" == killed ] || echo "$failure" >"$root/data/tmp/vexa.standin"
  wine sc start zerinctl-sales >/dev/null
  await RUNNING
  if [ "$failure" == killed ]; then
    kill -9 "$(processes "vexa.exe -c $win" | head -n 1)"
    await "STOPPED 1066 2"
  else
    start=$(date +%s)
    wine sc stop zerinctl-sales >/dev/null
    await "STOPPED 1066 3"
    expect "ended after the bound" "$(($(date +%s) - start >= 2))" 1
    expect "ended after the bound, said" "$(tail -n 1 "$log")" \
      "Zerin service did not stop within 2 seconds and was ended"
  fi
  awaitNoneLeft "$failure"
done
rm "$root/data/tmp/vexa.standin"

# A boot starts the automatic service.
endKeeper
keeper
await RUNNING
expect "started at boot" "$(tool -check sales u p)" \
  "Zerin service is running on host localhost, port $port"

expect "unregister while running" "$(tool -unregister sales)" "Service zerinctl-sales stopped
Service zerinctl-sales unregistered"
expect "the registration gone" "$(wine sc query zerinctl-sales | grep -c STATE)" 0
expect "the stored password gone" "$(find "$WINEPREFIX/drive_c/ProgramData/zerinctl" -name sales.password | wc -l)" 0
awaitNoneLeft "unregistered"
expect "unregister with none" "$(tool -unregister sales; echo "status ${PIPESTATUS[0]}")" \
  "Service zerinctl-sales is not registered
status 0"

# -run: the engine reads the null device whatever the tool reads, and the
# tool's end ends its job, the engine's child included.
echo orphan >"$root/data/tmp/vexa.standin"
: >"$root/run.out"
wine "$root/tool/zerinctl.exe" -run sales u p <"$root/tool/zerin.cfg" >"$root/run.out" 2>&1 &
runId=$!
for ((i = 0; i < 100 && $(grep -c "is running" "$root/run.out") == 0; i++)); do sleep 0.1; done
expect "-run: the engine reads the null device" "$(grep -c -x stdin=null "$root/data/tmp/vexa.started")" 1
# Wine names a new process's command line a moment after its start.
for ((i = 0; i < 40 && $(left "vexa.exe -linger") == 0; i++)); do sleep 0.25; done
expect "-run: the engine's child runs" "$(left "vexa.exe -linger")" 1
kill -9 "$runId"
wait "$runId" 2>/dev/null || true
awaitNoneLeft "-run ended"
exit "$failed"
