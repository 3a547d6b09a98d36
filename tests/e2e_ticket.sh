#!/usr/bin/env bash
# End to end, as a user would: the real program in the X display, driven by xdotool, the ticket read
# back from the X clipboard and decoded by a real image reader. usage: e2e_ticket.sh BUILD
set -euo pipefail
BUILD="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/wine-env.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$BUILD/bin/Tandrel.exe" "$work/Tandrel.exe"
"$root/scripts/drive.sh" "$work/Tandrel.exe" "$BUILD/bin/tandrel_probe.exe" "$work/out"
/usr/bin/python3 "$root/tests/check_ticket_image.py" "$work/out/ticket.bmp"
