#!/usr/bin/env bash
# Installs every Debian package the builds and tests need. Safe to run again.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root (it calls apt-get)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive

# The Xerces-C++ source package comes from the distribution's own deb-src entry.
src_list=/etc/apt/sources.list.d/zerinctl-src.sources
if [ ! -f "$src_list" ]; then
  . /etc/os-release
  cat > "$src_list" <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: ${VERSION_CODENAME}
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

apt-get update -q
apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build ca-certificates \
  googletest libgtest-dev \
  g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64 \
  wine wine64 \
  valgrind xmlstarlet curl hyperfine time
