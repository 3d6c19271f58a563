#!/usr/bin/env bash
# Installs what is missing, lints the scripts and C++ sources, builds the
# POSIX, sanitizer and Windows builds and runs every test in all three (the
# Windows one under Wine), then runs each fuzz target for a short while, then
# the Ansible collection's tests, then lintian on the Debian package.
# Arguments pick some of the stages: native, sanitize, mingw, fuzz, ansible,
# package.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
flavours=("${@:-native sanitize mingw fuzz ansible package}")
read -r -a flavours <<<"${flavours[*]}"

# Root installs what is missing; anyone else must have it already.
if [ "$(id -u)" -eq 0 ]; then
  "$here/scripts/install-deps.sh"
fi

# A lint finding fails the run, but the builds still run and report.
echo "=== lint"
lint=0
"$here/scripts/lint.sh" || lint=1

status=0
for flavour in "${flavours[@]}"; do
  case "$flavour" in
    fuzz | ansible | package)
      echo "=== $flavour"
      start=$(date +%s)
      case "$flavour" in
        fuzz) "$here/scripts/fuzz.sh" || status=1 ;;
        ansible) "$here/scripts/test-ansible.sh" || status=1 ;;
        package) "$here/scripts/package.sh" native && lintian --fail-on error \
                   "$here"/build/package-native/packages/zerinctl_*.deb || status=1 ;;
      esac
      echo "=== $flavour: $(( $(date +%s) - start )) s"
      continue ;;
  esac
  echo "=== $flavour: build"
  start=$(date +%s)
  "$here/scripts/build.sh" "$flavour"
  echo "=== $flavour: test"
  if [ "$flavour" = mingw ]; then
    # One Wine prefix for the whole run: the first start of a prefix is slow.
    export ZERINCTL_WINEPREFIX="$here/build/mingw/wineprefix"
  fi
  (cd "$here/build/$flavour" && ctest --output-on-failure -j2) || status=1
  echo "=== $flavour: $(( $(date +%s) - start )) s"
done
if [ "$status" -eq 0 ]; then echo "all builds passed"; else echo "some tests FAILED"; fi
if [ "$lint" -ne 0 ]; then echo "lint FAILED (see === lint)"; fi
exit $((status || lint))
