#!/usr/bin/env bash
# Builds the packages of one target in build/package-<flavour> (or in the
# folder given second), a Release build without tests, with stripped binaries:
#   native   zerinctl-<version>-Linux.tar.gz and zerinctl_<version>_<arch>.deb
#   mingw    zerinctl-<version>-win64.zip
# and prints each package's path and size. Install the Debian package with
#   apt-get install ./build/package-native/packages/zerinctl_*.deb
# Every time stamp in the packages is the last commit's (SOURCE_DATE_EPOCH,
# unless set already), so that two builds of one commit give the same bytes:
# in a git checkout, git's; in an extract of `git archive` (no .git, as a
# distribution builds from a release tarball), where every file bears the
# commit's time, the newest source file's, the build folder's left out.
set -euo pipefail

flavour=${1:?usage: package.sh native|mingw}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-"$here/build/package-$flavour"}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if [ -e "$here/.git" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
  else
    SOURCE_DATE_EPOCH=$(find "$here" -path "$here/build" -prune -o -type f -printf '%T@\n' |
                        sort -n | tail -n 1 | cut -d. -f1)
  fi
  export SOURCE_DATE_EPOCH
fi
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

case "$flavour" in
  native)
    opts=(-DXercesC_DIR="$("$here/scripts/build-xerces.sh" native)/lib/cmake/XercesC") ;;
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
