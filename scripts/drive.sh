#!/usr/bin/env bash
# Drives the real program in the current X display as a user would:
#   scripts/drive.sh PROGRAM PROBE OUTDIR
# Starts it, types a group number and presses "生成" (the window grows), types a nickname and a time,
# presses "生成" again, reads the ticket back from the X clipboard, saves screenshots and the ticket as
# PNG files, and closes the window. Exits non-zero when a step does not happen.
set -euo pipefail
program="$1"; probe="$2"; out="$3"
mkdir -p "$out"
"$WINE64" "$program" &
pid=$!
fail() { echo "drive: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }

window=""
for _ in $(seq 100); do
  for id in $(xdotool search --name 'Tandrel' 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && window="$id" && break
  done
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || fail "the window did not appear"
sleep 1

geometry() { xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width/{w=$2} /Height/{h=$2} END{print w"x"h"+"x"+"y}'; }
shot() { import -window root -crop "$(geometry)" +repage "$out/$1"; echo "screenshot: $out/$1"; }
height() { xwininfo -id "$window" | awk '/Height/{print $2}'; }

where="$(mktemp)"
"$WINE64" "$probe" where "Z:$where" || fail "could not locate the client area"
read -r cx cy < "$where"; rm -f "$where"
# Clicks at a point of the client area.
click() { xdotool mousemove "$((cx + $1))" "$((cy + $2))" click 1; sleep 0.3; }

shot window.png
click 264 196                      # the group number box
xdotool type --delay 40 '123456'
click 360 196                      # "生成": nickname and time are missing, so the window grows
sleep 0.5
[ "$(height)" = 290 ] || fail "the window did not grow to 290 (it is $(height))"
shot window-grown.png
click 143 238                      # the nickname box; Chinese arrives through the clipboard
printf '张三' | xclip -selection clipboard
sleep 0.3
xdotool key ctrl+v
click 318 238                      # the time box
xdotool type --delay 40 '12:30'
click 360 196                      # "生成" again: the ticket goes to the clipboard
sleep 1.5
xclip -selection clipboard -o -t image/bmp > "$out/ticket.bmp" || fail "no image/bmp on the clipboard"
convert "$out/ticket.bmp" "$out/ticket.png"
echo "ticket: $out/ticket.png"
shot window-after.png

click 200 -10                      # the caption bar takes the focus, then Alt+F4 closes the window
xdotool key alt+F4 || true
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
code=0
wait "$pid" || code=$?
echo "exit code: $code"
[ "$code" = 0 ] || exit 1
