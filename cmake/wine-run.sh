#!/bin/sh
# Runs a Windows test executable under Wine, in a prefix of the build's own,
# quietly, without Wine's Mono and Gecko installers.
: "${WINEPREFIX:=${ZERINCTL_WINEPREFIX:-$PWD/wineprefix}}"
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine takes the Windows locale from the locale's name, and the encoding of
# Linux file names from the locale itself, which must be installed: C.UTF-8
# stands for English (United States), a Western system whose legacy code
# page 1252 holds none of the tests' names in other scripts, whatever the
# caller's locale.
LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL

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
