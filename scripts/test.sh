#!/usr/bin/env bash
# Installs what is missing, lints the scripts and C++ sources, builds the
# POSIX, sanitizer and Windows builds and runs every test in all three (the
# Windows one under Wine), then runs each fuzz target for a short while, then
# the Ansible collection's lint and tests, then lintian on the Debian package
# (no error, no hardening tag) and a second package build that must give the
# same bytes, then the systemd unit on that package in booted Debian roots
# (as root with systemd-nspawn; skipped, saying why, elsewhere).
# Arguments pick some of the stages: native, sanitize, mingw, fuzz, ansible,
# package, systemd.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
flavours=("${@:-native sanitize mingw fuzz ansible package systemd}")
read -r -a flavours <<<"${flavours[*]}"

# Root installs what is missing; anyone else must have it already.
if [ "$(id -u)" -eq 0 ]; then
  "$here/scripts/install-deps.sh"
fi

# A lint finding fails the run, but the builds still run and report.
echo "=== lint"
lint=0
"$here/scripts/lint.sh" || lint=1

# A second package build of the same commit, in another folder and later,
# gives the same bytes (package.sh stamps every file with the last commit's
# time). Only the tool's own objects are rebuilt: Xerces-C++ is cached.
reproducible() {
  local again file differ=0
  again=$(mktemp -d)
  "$here/scripts/package.sh" native "$again/build" >/dev/null
  for file in "$here"/build/package-native/packages/zerinctl*.{deb,tar.gz}; do
    cmp "$file" "$again/build/packages/${file##*/}" || differ=1
  done
  rm -rf "$again"
  if [ "$differ" -eq 0 ]; then echo "package: the second build gave the same bytes"; fi
  return "$differ"
}

# lintian on the Debian package: no error, and no hardening tag among all it
# reports with -I --pedantic (the binaries are hardened as Debian's own).
lintian_clean() {
  local tags errors=0
  tags=$(lintian -I --pedantic "$here"/build/package-native/packages/zerinctl_*.deb) || errors=1
  echo "$tags"
  [ "$errors" -eq 0 ] && ! grep -q ': hardening-' <<<"$tags"
}

# The unit under a real systemd, on the Debian package; a host that cannot
# boot a root skips it (status 77) with the reason.
systemd_unit() {
  local result=0
  "$here/scripts/package.sh" native >/dev/null || return 1
  bash "$here/tests/systemd/boot_test.sh" "$here"/build/package-native/packages/zerinctl_*.deb ||
    result=$?
  [ "$result" -eq 0 ] || [ "$result" -eq 77 ]
}

status=0
for flavour in "${flavours[@]}"; do
  case "$flavour" in
    fuzz | ansible | package | systemd)
      echo "=== $flavour"
      start=$(date +%s)
      case "$flavour" in
        fuzz) "$here/scripts/fuzz.sh" || status=1 ;;
        ansible) "$here/scripts/test-ansible.sh" || status=1 ;;
        package) "$here/scripts/package.sh" native && lintian_clean && reproducible || status=1 ;;
        systemd) systemd_unit || status=1 ;;
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
