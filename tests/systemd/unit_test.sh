#!/usr/bin/env bash
# The systemd unit: systemd-analyze verify accepts it, and its ExecStart runs
# as systemd runs it -- the environment file loaded, %i and %d replaced, the
# credential copied into a credentials folder of its own, a clean
# environment, NOTIFY_SOCKET set, /dev/null as standard input -- against the
# built tool in an installation of its own; then SIGTERM stops it as
# KillMode=mixed does, with nothing else sent to the engine.
#   unit_test.sh UNIT ZERINCTL VEXA
set -u
unit=$1
if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: no systemd-analyze here (Debian's package systemd has it)"
  exit 77
fi
root=$(mktemp -d)
receiver=
# The engine goes with the test, whatever became of the stop.
cleanup() {
  local exe
  [ -n "$receiver" ] && kill "$receiver"
  for exe in /proc/[0-9]*/exe; do
    [ "$(readlink "$exe")" = "$root/opt/zerin/vexa/vexa" ] && kill -9 "$(basename "${exe%/exe}")"
  done 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir -p "$root/units"
cp "$unit" "$root/units/"
systemd-analyze verify --man=no "$root/units/zerinctl@sales.service" || fail "systemd-analyze verify"

# The installation: the tool and the stand-in engine, a repository whose
# configuration names no local database, and /etc/zerinctl's two files.
tool=$root/opt/zerin data=$root/data etc=$root/etc/zerinctl
credentials=$root/credentials/zerinctl@sales.service
mkdir -p "$tool/vexa" "$data/tmp" "$etc" "$credentials"
cp "$2" "$tool/zerinctl"
cp "$3" "$tool/vexa/vexa"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'repository_data_directory,"%s"\n' "$data" >"$tool/zerin.cfg"
printf 'CONNECTION=x\n' >"$data/vexa.ini"
printf '<config><instance name="sales" port="1" vexaport="%s" path="%s/vexa.ini"/></config>\n' \
  "$port" "$data" >"$data/vexa_config.xml"
printf '# the repository sales\nZERINCTL_FOLDER=%s\nZERINCTL_USER=admin\n' "$tool" >"$etc/sales.conf"
printf 'pw-Cr3d\n' >"$etc/sales.password"
chmod 600 "$etc/sales.password"

# A setting of the unit with what systemd puts in: %i, %d and this /etc.
setting() {
  local value
  value=$(sed -n "s/^$1=//p" "$unit")
  value=${value//%i/sales}
  value=${value//%d/$credentials}
  printf '%s' "${value//\/etc\/zerinctl\//$etc/}"
}
# The environment systemd gives the service, Environment= after the file.
environment=(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
             "CREDENTIALS_DIRECTORY=$credentials" "NOTIFY_SOCKET=$root/notify")
while IFS= read -r line; do
  [[ $line =~ ^[A-Za-z_][A-Za-z0-9_]*= ]] && environment+=("$line")
done <"$(setting EnvironmentFile)"
environment+=("$(setting Environment)")
credential=$(setting LoadCredential)
cp "${credential#*:}" "$credentials/${credential%%:*}"
chmod 400 "$credentials/${credential%%:*}"
# ExecStart's words, each ${NAME} replaced by the variable's value as one word.
value_of() {
  local entry found=
  for entry in "${environment[@]}"; do [ "${entry%%=*}" = "$1" ] && found=${entry#*=}; done
  printf '%s' "$found"
}
read -r -a words <<<"$(sed -n 's/^ExecStart=//p' "$unit")"
command=()
for word in "${words[@]}"; do
  word=${word//%i/sales}
  while [[ $word =~ \$\{([A-Za-z_][A-Za-z0-9_]*)\} ]]; do
    name=${BASH_REMATCH[1]}
    word=${word//"\${$name}"/$(value_of "$name")}
  done
  command+=("$word")
done
[ "${command[*]}" = "/usr/bin/env $tool/zerinctl -run sales admin -" ] ||
  fail "ExecStart runs: ${command[*]}"

python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind(sys.argv[1])
while True:
    print(s.recv(4096).decode(), flush=True)' "$root/notify" >"$root/notified" &
receiver=$!
for _ in $(seq 100); do [ -S "$root/notify" ] && break; sleep 0.05; done

# Waits up to 10 s for TEXT in FILE.
appears() {
  for _ in $(seq 200); do grep -qF "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done
  return 1
}
env -i "${environment[@]}" "${command[@]}" </dev/null >"$root/out" 2>&1 &
service=$!
for _ in $(seq 200); do
  grep -qx READY=1 "$root/notified" || ! kill -0 "$service" 2>/dev/null && break
  sleep 0.05
done
grep -qx READY=1 "$root/notified" || fail "no READY=1: $(cat "$root/out")"
appears "$data/tmp/vexa.started" VEXAPASSWD=pw-Cr3d || fail "the engine got no password"
grep -qx VEXAUSER=admin "$data/tmp/vexa.started" || fail "the engine got no user"
kill -TERM "$service"
wait "$service" || fail "-run ended with $? after SIGTERM: $(cat "$root/out")"
grep -qx STOPPING=1 "$root/notified" || fail "no STOPPING=1"
grep -q "SHUTDOWN received" "$root/out" || fail "the engine was sent no SHUTDOWN"
for _ in $(seq 100); do
  "$tool/zerinctl" -check sales - - >/dev/null || break
  sleep 0.05
done
"$tool/zerinctl" -check sales - - >/dev/null && fail "the engine still answers"
if [ "$failures" -gt 0 ]; then exit 1; fi
echo "the unit passed"
