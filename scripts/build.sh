#!/usr/bin/env bash
# Configures and builds one flavour of the project into build/<flavour>:
#   native     POSIX build, Release
#   sanitize   POSIX build with AddressSanitizer and UndefinedBehaviorSanitizer
#   mingw      Windows build, cross-compiled with MinGW-w64
#   fuzz       the libFuzzer targets under fuzz/, built with clang and the
#              sanitizers, with a Xerces-C++ instrumented the same way
# Further arguments name the targets to build (default: all).
# Xerces-C++ comes from scripts/build-xerces.sh (cached after the first run),
# named on every configure: a build folder would keep the one it found first
# even after a change to build-xerces.sh made another.
set -euo pipefail

flavour=${1:?usage: build.sh native|sanitize|mingw|fuzz [target...]}
shift
targets=()
[ "$#" -gt 0 ] && targets=(--target "$@")
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/$flavour"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

case "$flavour" in
  native)
    prefix=$("$here/scripts/build-xerces.sh" native)
    opts=(-DCMAKE_BUILD_TYPE=Release -DZERINCTL_BENCH=ON
          -DXercesC_DIR="$prefix/lib/cmake/XercesC") ;;
  sanitize)
    prefix=$("$here/scripts/build-xerces.sh" native)
    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZERINCTL_SANITIZE=ON
          -DXercesC_DIR="$prefix/lib/cmake/XercesC") ;;
  mingw)
    prefix=$("$here/scripts/build-xerces.sh" mingw)
    opts=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake"
          -DXercesC_DIR="$prefix/cmake") ;;
  fuzz)
    prefix=$("$here/scripts/build-xerces.sh" fuzz)
    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
          -DZERINCTL_FUZZ=ON -DZERINCTL_TESTS=OFF -DXercesC_DIR="$prefix/lib/cmake/XercesC") ;;
  *) echo "build.sh: unknown flavour '$flavour'" >&2; exit 2 ;;
esac

cmake -S "$here" -B "$build" "${generator[@]}" -DZERINCTL_TESTS=ON "${opts[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
