#!/usr/bin/env bash
# What the real Brinefold.dll shows, checked on screenshots of the test bed's
# virtual screen: the snapshot (left half red, right half green) lies under
# the water tinted to (0.2, 0.2, 0.6), the picture moves from frame to frame,
# and a real Escape key press ends the renderer with exit code 0. The same
# picture owned by another account is not read: the renderer ends at once,
# silently, as without a picture.
#
#   renderer_screenshot_test.sh RENDERER_EXE OUT_DIR     (inside a test bed's env)
set -euo pipefail

exe=$1
out=$2
: "${WINEPREFIX:?run inside the test bed (source DIR/env)}" "${DISPLAY:?}"
mkdir -p "$out"
wait_window=$(dirname "$0")/../../scripts/wait-window

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

snapshot=$WINEPREFIX/drive_c/velkor/Brinefold.bmp
mkdir -p "$(dirname "$snapshot")"
convert -size 1024x768 xc:'rgb(40,240,40)' -fill 'rgb(240,40,40)' \
  -draw 'rectangle 0,0 511,767' -type TrueColor "BMP3:$snapshot"

wine "$exe" &
pid=$!
cleanup() {
  kill "$pid" 2>/dev/null || true
  rm -f "$snapshot"
}
trap cleanup EXIT

wid=$("$wait_window" 10 --name '^Brinefold_VC$') ||
  fail "no window titled Brinefold_VC"
sleep 1
import -window root "$out/frame-a.png"
sleep 0.5
import -window root "$out/frame-b.png"

xdotool windowfocus --sync "$wid" key Escape  # a quick tap
code=0
timeout 10 tail --pid="$pid" -f /dev/null || fail "the renderer did not end on Escape"
wait "$pid" || code=$?
((code == 0)) || fail "exit code $code after Escape"
if xdotool search --onlyvisible --name '^Brinefold_VC$' >/dev/null; then
  fail "the window is still there"
fi

# The pictures, point-sampled to 256x192 so that ImageMagick's -fx is quick.
for f in a b; do convert "$out/frame-$f.png" -sample 256x192 "$out/small-$f.png"; done
# Counts the pixels of a region that satisfy an fx expression.
count() { # image geometry expression
  convert "$1" -crop "$2" +repage -fx "$3 ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}
left=128x192+0+0
right=128x192+128+0
# The snapshot's red half and green half, each still recognisable under the water.
reds=$(count "$out/small-a.png" $left 'r > g + 0.08 && r > 0.1')
greens=$(count "$out/small-a.png" $right 'g > r + 0.08 && g > 0.1')
# Tinted: red and green scaled by 0.2 leave nothing near the snapshot's own 240.
bright=$(count "$out/small-a.png" 256x192+0+0 'max(r, g) > 0.85')
# Frames kept coming: the water moved and the scene tilted.
moved=$(compare -metric AE -fuzz 3% "$out/small-a.png" "$out/small-b.png" null: 2>&1 || true)
rm -f "$out"/small-?.png
echo "red-ish left: $reds, green-ish right: $greens, bright: $bright, changed: $moved (of 49152)"
((reds > 1500)) || fail "the red half of the snapshot is not on the left ($reds pixels)"
((greens > 1500)) || fail "the green half of the snapshot is not on the right ($greens pixels)"
((bright < 100)) || fail "the floor is not tinted ($bright bright pixels)"
((${moved%%.*} > 300)) || fail "the picture did not change between frames ($moved pixels)"

# Wine takes a file's owner from its Unix owner: another account's picture is
# one chowned away (needs root).
chown 65534 "$snapshot" || fail "could not give the picture another owner"
wine "$exe" &
pid=$!
code=0
timeout 10 tail --pid="$pid" -f /dev/null || fail "the renderer did not end without a picture it may read"
wait "$pid" || code=$?
((code == 0)) || fail "exit code $code with another account's picture"
[[ -z $(xdotool search --name '^Error$' 2>/dev/null) ]] || fail "a message about another account's picture"
echo "screenshots in $out"
