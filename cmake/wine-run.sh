#!/bin/sh
# Runs a Windows test executable under Wine, in a prefix of the build's own,
# quietly, without Wine's Mono and Gecko installers.
: "${WINEPREFIX:=${ZERINCTL_WINEPREFIX:-$PWD/wineprefix}}"
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
