#!/usr/bin/env bash
# The real hack on a private Xvfb display (Mesa), checked on screenshots:
#  1. its own window over the grabbed desktop (left red, right green): the
#     picture lies under the water tinted, the water moves, the -fps text is
#     in the lower left corner, an unplayable -music file changes nothing, and
#     Escape ends it with exit code 0 within a moment;
#  2. -image FILE lays that picture instead, and SIGTERM ends it the same way;
#  3. -window-id into a window made by another program: it draws there,
#     follows a resize, and ends with exit code 0 when that window goes.
#
#   hack_x11_test.sh HACK OUT_DIR
set -euo pipefail
hack=$1
out=$2
mkdir -p "$out"
# shellcheck source=x11_support.sh
source "$(dirname "$0")/x11_support.sh"
wait_window=$(dirname "$0")/../../scripts/wait-window
trap stop_started EXIT

start_xvfb "$out"
paint_desktop "$out"

# --- 1. own window, Escape -------------------------------------------------
echo "not music" >"$out/not-music.mp3"
"$hack" -window -fps -music "$out/not-music.mp3" 2>"$out/own.log" &
pid=$!
started_pids+=("$pid")
wid=$("$wait_window" 10 --name '^Brinefold$') ||
  fail "no window titled Brinefold"
shoot_until "$out/own-a.png" 20 tinted_desktop 1024x768+0+0 "own window" ||
  fail "own window: not the desktop under the tinted water"
# The frame rate, yellow, in the lower left corner once a second has passed.
fps_text() {
  local yellow
  yellow=$(count "$1" 160x50+0+718 'r > 0.7 && g > 0.7 && b < 0.3')
  echo "own window: yellow text pixels $yellow"
  ((yellow > 40))
}
sleep 0.5
shoot_until "$out/own-b.png" 10 fps_text || fail "no -fps text in the lower left corner"
for f in a b; do convert "$out/own-$f.png" -sample 256x192 "$out/small-$f.png"; done
moved=$(compare -metric AE -fuzz 3% "$out/small-a.png" "$out/small-b.png" null: 2>&1 || true)
rm -f "$out"/small-?.png
echo "own window: changed $moved of 49152"
((${moved%%.*} > 300)) || fail "the picture did not change between frames"

xdotool windowfocus --sync "$wid" key Escape
wait_end "$pid" 3 || fail "Escape did not end the hack"
((ended_code == 0)) || fail "exit code $ended_code after Escape"
grep -q "no music" "$out/own.log" || fail "no word about the unplayable music file"

# --- 2. -image, SIGTERM ----------------------------------------------------
# Top half blue, bottom half yellow: nothing red or green from the desktop.
convert -size 640x480 xc:'rgb(240,240,40)' -fill 'rgb(40,40,240)' -draw 'rectangle 0,0 639,239' \
  -type TrueColor "BMP3:$out/floor.bmp"
"$hack" -image "$out/floor.bmp" &
pid=$!
started_pids+=("$pid")
"$wait_window" 10 --name '^Brinefold$' >/dev/null || fail "no window with -image"
image_floor() {
  convert "$1" -sample 256x192 "$out/small.png"
  local blues desktop
  blues=$(count "$out/small.png" 256x60+0+0 'b > r + 0.15 && b > g + 0.15')
  desktop=$(count "$out/small.png" 256x150+0+0 'abs(r - g) > 0.08')
  rm -f "$out/small.png"
  echo "-image: blue-ish top $blues, red or green $desktop"
  ((blues > 1500 && desktop < 200))
}
shoot_until "$out/image.png" 20 image_floor || fail "the -image picture is not the floor"
kill -TERM "$pid"
wait_end "$pid" 3 || fail "SIGTERM did not end the hack"
((ended_code == 0)) || fail "exit code $ended_code after SIGTERM"

# --- 3. -window-id, resize, the host's end ---------------------------------
xlogo -geometry 320x240+0+0 2>/dev/null &
host_pid=$!
started_pids+=("$host_pid")
shell=$("$wait_window" 10 --class '^xlogo$') || fail "no host window"
# The logo is drawn in the shell's one child, which covers it: that is the
# window to draw into (and the shell's resize reaches it).
host=$(xwininfo -children -id "$shell" | awk '/child:$/ { getline; print $1 }')
[[ -n $host ]] || fail "the host window has no child"
"$hack" -window-id "$host" &
pid=$!
started_pids+=("$pid")
# Inside the host only: the hack must not draw beyond it.
shoot_until "$out/given-a.png" 20 tinted_desktop 320x240+0+0 "given window" ||
  fail "given window: not the desktop under the tinted water"
outside=$(count "$out/given-a.png" 300x200+500+400 'abs(r - 0.16) < 0.05 && g > 0.9')
((outside > 50000)) || fail "the hack drew outside the given window"

xdotool windowsize "$shell" 640 480
shoot_until "$out/given-b.png" 20 tinted_desktop 640x480+0+0 "given window after resize" ||
  fail "given window: the picture did not follow the resize"

kill "$host_pid"
wait_end "$pid" 5 || fail "the hack did not end with its host window"
((ended_code == 0)) || fail "exit code $ended_code after the host window went"
echo "screenshots in $out"
