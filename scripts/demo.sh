#!/usr/bin/env bash
# Shows every command of the tool at work: installs what the build needs (as
# root, first run only), builds the tool and the stand-in engine, installs
# them with the demo installation into build/demo/<target> and runs the tour
# (demo/posix/tour.sh) on a copy of it in build/demo/tour-<target>.
#
#   demo.sh              the POSIX build
#   demo.sh --windows    the Windows build, under Wine (prefix build/demo/wineprefix)
#
# Long steps print one line each; their output goes to build/demo/demo.log,
# which a failure names. Exit status: the tour's (0 when every command ended
# as expected), or 1 when a step before it failed.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
target=posix
case "${1:-}" in
  "") ;;
  --windows) target=windows ;;
  -h | --help) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 0 ;;
  *) echo "usage: demo.sh [--windows]" >&2; exit 2 ;;
esac

demo="$here/build/demo"
log="$demo/demo.log"
mkdir -p "$demo"
: >"$log"

# Runs a step with its output in the log; on failure shows the log's end.
step() {  # description command...
  local description=$1
  shift
  echo "demo: $description"
  printf '\n=== %s\n' "$description" >>"$log"
  if ! "$@" >>"$log" 2>&1; then
    echo "demo: that failed; the last lines of the log:" >&2
    tail -n 15 "$log" | sed 's/^/  | /' >&2
    echo "demo: the full log is $log" >&2
    exit 1
  fi
}

# What the steps below call; install-deps.sh brings all of it (and the test
# suite's tools besides).
missing_tools() {
  local tool tools=(cmake g++ make)
  [ "$target" = windows ] && tools+=(x86_64-w64-mingw32-g++-posix wine wineserver)
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || return 0
  done
  # Xerces-C++ is built from the distribution's source package.
  apt-cache showsrc xerces-c 2>/dev/null | grep -q '^Version:' || return 0
  return 1
}

if missing_tools; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "demo: build tools are missing; run this as root once (it installs them with apt)," >&2
    echo "      or run scripts/install-deps.sh as root first" >&2
    exit 1
  fi
  step "installing the build tools with apt, a few minutes, first run only" \
    "$here/scripts/install-deps.sh"
fi

if [ "$target" = windows ]; then
  flavour=mingw xerces=mingw name="the Windows target" minutes="about 2 minutes"
else
  flavour=native xerces=native name="the POSIX target" minutes="about a minute"
fi
cache=${ZERINCTL_CACHE:-/var/cache/zerinctl}
if ! compgen -G "$cache/xerces-*-$xerces-*/.complete" >/dev/null; then
  step "building Xerces-C++ for $name, $minutes, first run only" \
    "$here/scripts/build-xerces.sh" "$xerces"
fi
step "building zerinctl and the stand-in engine for $name (build/$flavour)" \
  "$here/scripts/build.sh" "$flavour" zerinctl vexa

# A fresh installation each time, from the build's own install rules.
# shellcheck disable=SC2317  # (run through step)
install_demo() {
  rm -rf "${demo:?}/$target"
  cmake --install "$here/build/$flavour" --prefix "$demo/$target"
}
step "installing it with the demo installation into build/demo/$target" install_demo

if [ "$target" = windows ]; then
  export WINEPREFIX="$demo/wineprefix"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # shellcheck disable=SC2317  # (run through step)
    prepare_prefix() {
      WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" wine wineboot --init
      wineserver -w
    }
    step "preparing Wine's prefix build/demo/wineprefix, about half a minute, first run only" \
      prepare_prefix
  fi
  tour=(sh "$here/demo/posix/tour.sh" --windows --from "$demo/windows")
else
  tour=(sh "$demo/posix/share/zerinctl/demo/tour.sh")
fi

echo "demo: the tour"
start=$(date +%s%N)
status=0
"${tour[@]}" --into "$demo/tour-$target" || status=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
printf '\ndemo: the tour took %d.%01d s\n' $((elapsed / 1000)) $((elapsed % 1000 / 100))
exit "$status"
