#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine.
# With no DISPLAY it runs inside its own Xvfb, makes a ticket as a user would, saves screenshots as
# PNG files and prints their paths.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" x86_64
BUILD="$root/build/x86_64"
. "$root/scripts/wine-env.sh"
ensure_prefix
# The program writes its skin engine beside itself, so it runs from a folder of its own.
home="$BUILD/run"
mkdir -p "$home"
cp "$BUILD/bin/Tandrel.exe" "$home/Tandrel.exe"
if [ -n "${DISPLAY:-}" ]; then
  exec "$WINE64" "$home/Tandrel.exe"
fi
start_xvfb 1024x768x24
trap 'stop_xvfb' EXIT
exec "$root/scripts/drive.sh" "$home/Tandrel.exe" "$BUILD/bin/tandrel_probe.exe" "$BUILD/screenshots"
