#!/usr/bin/env bash
# Drives the real program in the current X display as a user would: scripts/drive.sh PROGRAM OUTDIR
# Starts it, takes a screenshot of the window, and closes it again.
set -euo pipefail
program="$1"; out="$2"
mkdir -p "$out"
"$WINE64" "$program" &
pid=$!
window=""
for _ in $(seq 100); do
  window="$(xdotool search --name 'Tandrel' 2>/dev/null | head -n1 || true)"
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear" >&2; kill "$pid" 2>/dev/null; exit 1; }
sleep 1
import -window root -crop "$(xdotool getwindowgeometry "$window" | awk '/Geometry/{print $2}')+$(xdotool getwindowgeometry "$window" | awk -F'[ ,]+' '/Position/{print $3"+"$4}')" "$out/window.png"
echo "screenshot: $out/window.png"
xdotool key --window "$window" alt+F4 || true
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
