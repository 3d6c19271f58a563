#!/bin/sh
# Runs a Windows test executable under Wine, in a prefix of the build's own,
# quietly, without Wine's Mono and Gecko installers.
: "${WINEPREFIX:=${ZERINCTL_WINEPREFIX:-$PWD/wineprefix}}"
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

# Two tests starting Wine at once on a new prefix race to create it and its
# server; the first one in creates it while the others wait.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wine wineboot --init >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
