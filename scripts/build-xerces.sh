#!/usr/bin/env bash
# Builds Xerces-C++ from Debian's source package as a static library for one
# target and installs it into a cache folder that later runs reuse.
#
#   build-xerces.sh native|mingw|fuzz   -> prints the install prefix on stdout
#
# fuzz is the native build made with clang and instrumented like the fuzz
# targets (address and undefined-behaviour sanitizers, fuzzer coverage), so
# that a bad read inside the parser is reported and its branches guide the
# fuzzer.
#
# The build is trimmed to what the tool needs: no network accessor (a
# descriptor must never make the tool fetch anything), in-memory messages
# (no message catalogue to ship) and the platform's own transcoder (no ICU).
set -euo pipefail

target=${1:?usage: build-xerces.sh native|mingw|fuzz}
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZERINCTL_CACHE:-/var/cache/zerinctl}
# The source package the distribution has now: a new revision builds anew.
version=$(apt-cache showsrc xerces-c 2>/dev/null | awk '/^Version:/ { print $2; exit }')
if [ -z "$version" ]; then
  echo "build-xerces.sh: no xerces-c source package (run scripts/install-deps.sh first)" >&2
  exit 1
fi

compiler=""
case "$target" in
  native)
    # Hardened as the tool's own code is (see CMakeLists.txt), of which the
    # library is most.
    flags="-D_FORTIFY_SOURCE=2 -fstack-protector-strong"
    opts=(-Dtranscoder=gnuiconv -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags")
    ;;
  mingw)
    opts=(-Dtranscoder=windows
          -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake")
    ;;
  fuzz)
    # -O1 and line tables only: the usual trade for fuzzing between speed,
    # readable reports and the instrumented build's considerable cost.
    flags="-gline-tables-only -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link"
    flags+=" -fno-sanitize-recover=all"
    opts=(-Dtranscoder=gnuiconv -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
          -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags"
          -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG")
    compiler=$(clang++ --version | head -n 1)
    ;;
  *) echo "build-xerces.sh: unknown target '$target'" >&2; exit 2 ;;
esac
opts+=(-DBUILD_SHARED_LIBS=OFF -Dnetwork=OFF -Dmessage-loader=inmemory
       -DCMAKE_BUILD_TYPE=Release -DCMAKE_POSITION_INDEPENDENT_CODE=ON)

# The key covers everything that changes the result, so editing an option or
# the toolchain file gives a fresh build instead of a stale cache hit.
# A compiler named by the target counts with its version (its runtime and
# instrumentation change with it).
key=$( { echo "$version ${opts[*]//$here/}"; cat "$here/cmake/mingw-w64-x86_64.cmake"
         if [ -n "$compiler" ]; then echo "$compiler"; fi; } \
       | sha256sum | cut -c1-12)
prefix="$cache/xerces-$version-$target-$key"
mkdir -p "$cache"
# Two builds of the same target wait for each other instead of racing.
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(
  cd "$work"
  apt-get source --download-only "xerces-c=$version" >&2
  tar xf xerces-c_*.orig.tar.* >&2
  src=$(find . -maxdepth 1 -type d -name 'xerces-c*' | head -n 1)
  mkdir build && cd build
  cmake -S "../$src" -B . -DCMAKE_INSTALL_PREFIX="$prefix" "${opts[@]}" >&2
  cmake --build . --target xerces-c -j"$(nproc)" >&2
  rm -rf "$prefix"
  cmake -P src/cmake_install.cmake >&2
) 1>&2
touch "$prefix/.complete"
echo "$prefix"
