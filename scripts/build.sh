#!/usr/bin/env bash
# Configures and builds one or both targets: scripts/build.sh [x86_64|i686|all]
# Only x86_64 programs run here, so the i686 tree builds the program and its engine alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
targets="${1:-all}"
[ "$targets" = all ] && targets="x86_64 i686"
jobs="$(nproc 2>/dev/null || echo 2)"
for arch in $targets; do
  build="$root/build/$arch"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$([ "$arch" = x86_64 ] && echo ON || echo OFF)" >/dev/null
  cmake --build "$build" -j "$jobs"
done
