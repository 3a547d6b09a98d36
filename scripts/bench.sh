#!/usr/bin/env bash
# Builds the x86_64 tree and runs every benchmark program under Wine in its own Xvfb.
# Exits non-zero when any benchmark reports a failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" x86_64
BUILD="$root/build/x86_64"
. "$root/scripts/wine-env.sh"
export TANDREL_BUILD="$BUILD"
ensure_prefix
start_xvfb
trap stop_xvfb EXIT
status=0
found=0
cd "$BUILD/bin"
for program in *_bench.exe; do
  [ -e "$program" ] || continue
  found=1
  echo "== $program"
  if ! "$WINE64" "./$program"; then
    echo "== $program: FAILED" >&2
    status=1
  fi
done
[ "$found" = 1 ] || { echo "no *_bench.exe in $BUILD/bin" >&2; status=1; }
exit "$status"
