#!/bin/sh
# A tour of zerinctl: it copies a demo installation into a folder of its own
# and runs every kind of command there, printing each command line, what the
# command printed and its exit status:
#
#   check (not running), start, check (running), export all salts, import
#   them back, stop, check (not running), delete answered y, a usage error.
#
#   tour.sh [--windows] [--from FOLDER] [--tool PROGRAM] [--into FOLDER] [--copy-only]
#
#   --from    the demo installation to copy (default: this script's folder)
#   --tool    the zerinctl to put into the copy when FOLDER has none (default:
#             bin/zerinctl of the prefix this script is installed under, else
#             zerinctl from PATH)
#   --into    where the copy goes; an existing folder is emptied only when an
#             earlier tour made it (default: a new folder under TMPDIR)
#   --copy-only make the copy and stop there, a demo installation for trying
#             more (such as the README's systemd recipe on /opt/zerin)
#   --windows the Windows build under Wine: FOLDER holds zerinctl.exe, the
#             engine vexa\vexa.exe and the .bat scripts. WINEPREFIX names a
#             prefix for the tour alone (default ~/.cache/zerinctl/wineprefix):
#             its wineserver is ended when the tour ends.
#
# The copy stays for you to try more commands in. The tour leaves no process
# running: the engine it started is stopped even when the tour is broken off.
# Exit status 0 when every command ended with the status the tour expects,
# 1 when one did not, 2 when the tour could not be set up.
set -u

# Text with backslashes in it (Windows paths) stays as it is.
say() {
  printf '%s\n' "$*"
}

usage() {
  sed -n '/^#   tour.sh/,/^#             its wineserver/s/^# \{0,1\}//p' "$0"
}

fail() {
  say "tour.sh: $*" >&2
  exit 2
}

windows=0 copy_only=0 from="" tool="" into=""
while [ "$#" -gt 0 ]; do
  case "$1" in
    --windows) windows=1 ;;
    --copy-only) copy_only=1 ;;
    --from | --tool | --into)
      [ "$#" -ge 2 ] || fail "$1 needs a value"
      case "$1" in
        --from) from=$2 ;;
        --tool) tool=$2 ;;
        --into) into=$2 ;;
      esac
      shift ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
  shift
done

here=$(cd "$(dirname "$0")" && pwd -P) || fail "cannot find my own folder"
from=$(cd "${from:-$here}" && pwd -P) || fail "no demo installation at ${from:-$here}"
if [ "$windows" -eq 1 ]; then
  exe=zerinctl.exe suffix=.bat
else
  exe=zerinctl suffix=.sh
fi
[ -f "$from/templates/startvexa$suffix" ] || fail "$from holds no demo installation for this target"
if [ -z "$tool" ] && [ ! -f "$from/$exe" ]; then
  if [ -x "$here/../../../bin/$exe" ]; then
    tool=$here/../../../bin/$exe
  else
    tool=$(command -v "$exe") || fail "no $exe beside $from nor on PATH (say --tool)"
  fi
fi

# --- the copy --------------------------------------------------------------
marker=.zerinctl-tour
if [ -z "$into" ]; then
  into=$(mktemp -d "${TMPDIR:-/tmp}/zerinctl-tour.XXXXXX") || fail "cannot make a folder in ${TMPDIR:-/tmp}"
elif [ -e "$into" ]; then
  if [ -n "$(ls -A "$into" 2>/dev/null)" ] && [ ! -f "$into/$marker" ]; then
    fail "$into is in use and was not made by a tour: name another folder"
  fi
  rm -rf "$into" || fail "cannot empty $into"
fi
if ! mkdir -p "$into" || ! into=$(cd "$into" && pwd -P); then fail "cannot make $into"; fi
: >"$into/$marker"
# -L: an installed demo links to its engine elsewhere (lib/zerinctl).
cp -RL "$from/." "$into/" || fail "cannot copy $from to $into"
rm -f "$into/tour.sh"
if [ -n "$tool" ]; then
  cp "$tool" "$into/$exe" || fail "cannot copy $tool"
fi
mkdir -p "$into/data/tmp" "$into/quarra"
cd "$into" || fail "cannot enter $into"

# The children see only what the tour sets.
unset QUARRANODENAME VEXAUSER VEXAPASSWD ZERINCTL_TRACE
if [ "$windows" -eq 1 ]; then
  : "${WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/zerinctl/wineprefix}"
  WINEDEBUG=-all
  WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "(preparing the Wine prefix $WINEPREFIX: about half a minute, first run only)"
    if ! mkdir -p "$WINEPREFIX" || ! wine wineboot --init >/dev/null 2>&1 || ! wineserver -w; then
      fail "cannot prepare the Wine prefix $WINEPREFIX"
    fi
  fi
  native_path() { winepath -w "$1" 2>/dev/null; }
  prompt="wine $exe"
  slash="\\"
else
  native_path() { printf '%s\n' "$1"; }
  prompt="./$exe"
  slash=/
fi
if ! folder=$(native_path "$into") || [ -z "$folder" ]; then
  fail "cannot name $into for the tool"
fi
home=$folder${slash}quarra
data=$folder${slash}data
QUARRA_HOME=$home
export QUARRA_HOME
# The data folder as a full path, so that the tool finds it from anywhere.
if ! LINE="repository_data_directory, \"$data\"" awk '
       /^[ \t]*repository_data_directory[ \t]*,/ { print ENVIRON["LINE"]; next }
       { print }' zerin.cfg >zerin.cfg.new || ! mv zerin.cfg.new zerin.cfg; then
  fail "cannot write zerin.cfg"
fi
if [ "$copy_only" -eq 1 ]; then
  say "A demo installation in $into; its database scripts want QUARRA_HOME=$QUARRA_HOME"
  exit 0
fi

tool_quietly() {
  if [ "$windows" -eq 1 ]; then wine "$exe" "$@"; else "./$exe" "$@"; fi >/dev/null 2>&1
}

# --- no engine outlives the tour -------------------------------------------
# (Both run from the exit trap only.)
# shellcheck disable=SC2317
engine_pids() {
  [ "$windows" -eq 0 ] && [ -d /proc ] || return 0
  find /proc -mindepth 2 -maxdepth 2 -name exe -lname "$into/vexa/vexa" 2>/dev/null | cut -d/ -f3
}

# shellcheck disable=SC2317
cleanup() {
  trap - EXIT INT TERM
  if [ "$engine" = started ] && tool_quietly -check sales admin secret; then
    tool_quietly -stop sales admin secret
  fi
  if [ "$windows" -eq 1 ]; then
    # The prefix is the tour's own: once the engine is gone its server ends
    # by itself; an engine that would not stop goes with it.
    timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null
  else
    tries=0
    while [ -n "$(engine_pids)" ] && [ "$tries" -lt 20 ]; do
      sleep 0.1
      tries=$((tries + 1))
    done
    for pid in $(engine_pids); do kill "$pid" 2>/dev/null; done
  fi
}
# --- the transcript --------------------------------------------------------
unexpected=""
engine=none  # "started" from the start on until the tour saw it gone

step() {
  printf '\n# %s\n' "$*"
}

show() {  # a plain command of the transcript
  say "\$ $*"
  "$@"
}

show_file() {  # cat, and a line end that the file may lack
  say "\$ cat $1"
  cat "$1"
  if [ -n "$(tail -c 1 "$1")" ]; then echo; fi
}

# STATUS INPUT ARGUMENTS...: runs the tool, with INPUT on standard input when
# it is not empty, and compares its exit status with STATUS.
tool() {
  expected=$1 input=$2
  shift 2
  if [ -n "$input" ]; then
    say "\$ echo $input | $prompt $*"
  else
    say "\$ $prompt $*"
  fi
  if [ "$windows" -eq 1 ]; then set -- wine "$exe" "$@"; else set -- "./$exe" "$@"; fi
  if [ -n "$input" ]; then
    say "$input" | "$@"
  else
    "$@" </dev/null
  fi
  status=$?
  case "$status" in
    255) meaning=" (-1: failure)" ;;
    254) meaning=" (-2: wrong usage or a failed salt)" ;;
    0) meaning=" (success)" ;;
    *) meaning="" ;;
  esac
  say "[exit status $status$meaning]"
  if [ "$status" -ne "$expected" ]; then
    unexpected="$unexpected
  $prompt $* ended with $status, not $expected"
  fi
  [ "$status" -eq "$expected" ]
}

# Waits, quietly and for a while at most, until the service answers (or,
# with "gone", until it does not).
wait_for_service() {
  deadline=$(($(date +%s) + 20))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    if tool_quietly -check sales admin secret; then
      [ "$1" = up ] && return 0
    else
      [ "$1" = gone ] && return 0
    fi
    sleep 0.2
  done
  return 1
}

trap cleanup EXIT
trap 'exit 130' INT TERM

if [ "$windows" -eq 1 ]; then build="the Windows build under Wine"; else build="the POSIX build"; fi
say "# A tour of zerinctl, $build, on a copy of the demo installation:"
say "#   $into"
say "# zerin.cfg there names the data folder $data;"
say "# repository \"sales\" lives on this machine, \"archive\" on another."
say "# The stand-in database's home is QUARRA_HOME=$QUARRA_HOME."

step "1. Is the service of repository sales running? Not yet."
if ! tool 255 "" -check sales admin secret; then
  say "Something answers on the port of sales (18201) already: stop it and run the tour again." >&2
  exit 1
fi

step "2. Start it: the database script, then the engine, which runs on detached."
engine=started
tool 0 "" -start sales admin secret
show ls data/databases

step "3. Check again, once the engine listens."
wait_for_service up
tool 0 "" -check sales admin secret

step "4. Every repository of the installation, and whether its service answers."
tool 0 "" -list

step "5. Export every salt of the secure store vexa${slash}store (1234 is the PIN the salt scripts want)."
show mkdir salts
tool 0 "" -exportsalt -all 1234 salts
show ls salts
show_file salts/vexaexportSaltIndex.txt

step "6. Import them back into an emptied store, as on a machine the salts move to."
show rm vexa/store/customer.salt vexa/store/payroll.salt
tool 0 "" -importsalt -all 1234 "salts${slash}vexaexportSaltIndex.txt"
show ls vexa/store

step "7. Stop the service."
tool 0 "" -stop sales admin secret
if wait_for_service gone; then engine=stopped; fi

step "8. Check: it is gone."
tool 255 "" -check sales admin secret

step "9. Delete the repository, answering y: its entry leaves the descriptor, its database goes."
tool 0 y -delete sales
show_file data/vexa_config.xml
show ls data/databases

step "10. A command line the tool does not take: a check without user and password."
tool 254 "" -check sales

echo
say "# The copy stays for more commands: cd $into"
if [ -n "$unexpected" ]; then
  say "# The tour did not go as expected:$unexpected"
  exit 1
fi
say "# Every command ended as expected."
exit 0
