#!/usr/bin/env bash
# Installs every Debian package the builds and tests need; with --bench, also
# what the measurement scripts under bench/ use. Safe to run again.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root (it calls apt-get)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

# Xerces-C++ is built from the distribution's own source package, so apt needs
# a deb-src entry: the one for the machine's own main archive.
deb822=/etc/apt/sources.list.d/debian.sources
if [ -f "$deb822" ] && [ ! -f /etc/apt/sources.list.d/zerinctl-src.sources ]; then
  awk 'BEGIN { RS = ""; ORS = "\n" } NR == 1' "$deb822" |
    sed -e 's/^Types: deb$/Types: deb-src/' -e 's/^\(Suites: [^ ]*\).*/\1/' \
    > /etc/apt/sources.list.d/zerinctl-src.sources
elif [ ! -f "$deb822" ] && [ -f /etc/apt/sources.list ] && [ ! -f /etc/apt/sources.list.d/zerinctl-src.list ]; then
  grep -E '^deb ' /etc/apt/sources.list | head -n 1 | sed 's/^deb /deb-src /' \
    > /etc/apt/sources.list.d/zerinctl-src.list
fi

# clang and its runtimes (libFuzzer, the sanitizers) build the fuzz targets;
# pycodestyle and pyflakes check the Python (scripts/lint.sh);
# ansible (ansible-core and the collections, ansible.windows among them)
# runs the collection's tests and ansible-lint checks it; lintian checks the
# Debian package; systemd, systemd-container and debootstrap boot Debian roots
# with systemd as PID 1 in a container, where the unit it ships is tried.
packages=(build-essential cmake ninja-build ca-certificates googletest
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64
          shellcheck clang-format clang libclang-rt-dev
          pycodestyle pyflakes3 ansible ansible-lint lintian systemd
          systemd-container debootstrap)
if [ "${1:-}" = --bench ]; then
  packages+=(valgrind xmlstarlet curl hyperfine time python3 strace)
fi

apt-get update -q
apt-get install -y -q --no-install-recommends "${packages[@]}"
