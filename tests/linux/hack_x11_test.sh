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
trap stop_started EXIT

start_xvfb "$out"
paint_desktop "$out"

# Tinted: red and green scaled by 0.2 leave nothing near the desktop's 240.
tinted_halves() { # image geometry-of-left-half geometry-of-right-half label
  local reds greens bright
  reds=$(count "$1" "$2" 'r > g + 0.08 && r > 0.1')
  greens=$(count "$1" "$3" 'g > r + 0.08 && g > 0.1')
  bright=$(count "$1" "$2" 'max(r, g) > 0.85')
  echo "$4: red-ish left $reds, green-ish right $greens, bright $bright"
  ((reds > 1500)) || fail "$4: the red half of the desktop is not on the left"
  ((greens > 1500)) || fail "$4: the green half of the desktop is not on the right"
  ((bright < 100)) || fail "$4: the floor is not tinted"
}

# --- 1. own window, Escape -------------------------------------------------
echo "not music" >"$out/not-music.mp3"
"$hack" -window -fps -music "$out/not-music.mp3" 2>"$out/own.log" &
pid=$!
started_pids+=("$pid")
wid=$(timeout 10 xdotool search --sync --onlyvisible --name '^Brinefold$' | head -1) ||
  fail "no window titled Brinefold"
sleep 1.5
import -window root "$out/own-a.png"
sleep 0.5
import -window root "$out/own-b.png"
for f in a b; do convert "$out/own-$f.png" -sample 256x192 "$out/small-$f.png"; done
tinted_halves "$out/small-a.png" 128x150+0+0 128x150+128+0 "own window"
moved=$(compare -metric AE -fuzz 3% "$out/small-a.png" "$out/small-b.png" null: 2>&1 || true)
echo "own window: changed $moved of 49152"
((${moved%%.*} > 300)) || fail "the picture did not change between frames"
# The frame rate, yellow, in the lower left corner (full-size shot).
yellow=$(count "$out/own-b.png" 160x50+0+718 'r > 0.7 && g > 0.7 && b < 0.3')
echo "own window: yellow text pixels $yellow"
((yellow > 40)) || fail "no -fps text in the lower left corner"
rm -f "$out"/small-?.png

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
timeout 10 xdotool search --sync --onlyvisible --name '^Brinefold$' >/dev/null || fail "no window with -image"
sleep 1.5
import -window root "$out/image.png"
convert "$out/image.png" -sample 256x192 "$out/small.png"
blues=$(count "$out/small.png" 256x60+0+0 'b > r + 0.15 && b > g + 0.15')
desktop=$(count "$out/small.png" 256x150+0+0 'abs(r - g) > 0.08')
echo "-image: blue-ish top $blues, red or green $desktop"
((blues > 1500)) || fail "the -image picture is not the floor"
((desktop < 200)) || fail "the desktop shows through instead of the -image picture"
rm -f "$out/small.png"
kill -TERM "$pid"
wait_end "$pid" 3 || fail "SIGTERM did not end the hack"
((ended_code == 0)) || fail "exit code $ended_code after SIGTERM"

# --- 3. -window-id, resize, the host's end ---------------------------------
xlogo -geometry 320x240+0+0 2>/dev/null &
host_pid=$!
started_pids+=("$host_pid")
shell=$(timeout 10 xdotool search --sync --onlyvisible --class '^xlogo$' | head -1) || fail "no host window"
# The logo is drawn in the shell's one child, which covers it: that is the
# window to draw into (and the shell's resize reaches it).
host=$(xwininfo -children -id "$shell" | awk '/child:$/ { getline; print $1 }')
[[ -n $host ]] || fail "the host window has no child"
"$hack" -window-id "$host" &
pid=$!
started_pids+=("$pid")
sleep 2
import -window root "$out/given-a.png"
# The desktop grabbed at start holds the host's own picture at its place:
# look at the floor's left and right parts inside the host only.
convert "$out/given-a.png" -crop 320x240+0+0 +repage "$out/small.png"
tinted_halves "$out/small.png" 160x150+0+0 160x150+160+0 "given window"
outside=$(count "$out/given-a.png" 300x200+500+400 'abs(r - 0.16) < 0.05 && g > 0.9')
((outside > 50000)) || fail "the hack drew outside the given window"

xdotool windowsize "$shell" 640 480
sleep 2
import -window root "$out/given-b.png"
convert "$out/given-b.png" -crop 640x480+0+0 +repage "$out/small.png"
tinted_halves "$out/small.png" 320x300+0+0 320x300+320+0 "given window after resize"
rm -f "$out/small.png"

kill "$host_pid"
wait_end "$pid" 5 || fail "the hack did not end with its host window"
((ended_code == 0)) || fail "exit code $ended_code after the host window went"
echo "screenshots in $out"
