# shellcheck shell=bash
# Set-up shared by the measurement scripts; sourced, not run.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# ZERINCTL_BIN points the scripts at another build's bin folder.
bin=${ZERINCTL_BIN:-$here/build/native/bin}

# Stops with a hint unless every named command is there.
require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || {
      echo "$(basename "$0"): $tool is missing (scripts/install-deps.sh --bench installs it)" >&2
      exit 1
    }
  done
}

# Builds the native programs if one of those named is missing, copies them
# into WORK/bin and points $bin there: other builds may relink
# build/native/bin while a measurement runs.
private_binaries() {
  local work=$1 name
  shift
  for name in "$@"; do
    [[ -x "$bin/$name" ]] || { bash "$here/scripts/build.sh" native >/dev/null; break; }
  done
  mkdir -p "$work/bin"
  for name in "$@"; do cp "$bin/$name" "$work/bin/"; done
  echo "binaries: ${bin#"$here"/} as of $(stat -c %y "$bin/$1" | cut -d. -f1)"
  bin="$work/bin"
}

# A localhost port nothing listens on right now (and whose predecessor is a
# valid port, as the descriptor names the service's port minus one).
free_port() {
  python3 -c '
import socket
while True:
    s = socket.socket(); s.bind(("127.0.0.1", 0)); p = s.getsockname()[1]; s.close()
    if p > 1024: print(p); break'
}
