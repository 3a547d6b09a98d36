#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test under Wine in a private Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" all
BUILD="$root/build/x86_64"
. "$root/scripts/wine-env.sh"
ensure_prefix
start_xvfb 1024x768x24
trap 'stop_xvfb; /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
cd "$BUILD"
ctest --output-on-failure "$@"
