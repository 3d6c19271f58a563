#!/usr/bin/env bash
# Builds the packages of one target in build/package-<flavour> (or in the
# folder given second), a Release build without tests, with stripped binaries:
#   native   zerinctl-<version>-Linux.tar.gz and zerinctl_<version>_<arch>.deb
#   mingw    zerinctl-<version>-win64.zip
# and prints each package's path and size. Install the Debian package with
#   apt-get install ./build/package-native/packages/zerinctl_*.deb
# Every time stamp in the packages is the last commit's (SOURCE_DATE_EPOCH,
# unless set already), so that two builds of one commit give the same bytes.
set -euo pipefail

flavour=${1:?usage: package.sh native|mingw}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-"$here/build/package-$flavour"}
# Outside a git checkout (an extracted tarball) the stamps are the build's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git -C "$here" log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH=$epoch
fi
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

case "$flavour" in
  native)
    opts=(-DCMAKE_PREFIX_PATH="$("$here/scripts/build-xerces.sh" native)") ;;
  mingw)
    opts=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake"
          -DXercesC_DIR="$("$here/scripts/build-xerces.sh" mingw)/cmake") ;;
  *) echo "package.sh: unknown flavour '$flavour'" >&2; exit 2 ;;
esac

cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DZERINCTL_TESTS=OFF \
  "${opts[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -rf "$build/packages"
(cd "$build" && cpack -B "$build/packages" >/dev/null)
find "$build/packages" -maxdepth 1 -type f -printf '%s\t%p\n' |
  awk -F'\t' '{ printf "%s  %d bytes (%.1f MiB)\n", $2, $1, $1 / 1048576 }'
