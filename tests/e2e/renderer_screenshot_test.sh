#!/usr/bin/env bash
# What the real Brinefold.dll shows, checked on screenshots of the test bed's
# virtual screen: its window covers the whole screen (1024x768, or a screen
# without that mode as it is), the snapshot (left half red, right half green)
# lies under the water tinted to (0.2, 0.2, 0.6), the picture moves from frame
# to frame, no faster than the display's 60 Hz (Wine reports no rate on Xvfb)
# even on a small screen where it could draw far faster,
# a minimised renderer rests and comes back, and a real Escape key press ends
# it with exit code 0. The same picture owned by another account, or behind
# a link, is not read: the renderer ends at once, silently, as without one. Frames
# shown are counted by a preloaded library (tests/bench/present_counter.c):
# one image put on the screen a frame.
#
#   renderer_screenshot_test.sh RENDERER_EXE OUT_DIR POST_SYSCOMMAND_EXE   (inside a test bed's env)
set -euo pipefail

exe=$1
out=$2
post_syscommand=$3
: "${WINEPREFIX:?run inside the test bed (source DIR/env)}" "${DISPLAY:?}"
mkdir -p "$out"
cc -O2 -shared -fPIC -o "$out/present_counter.so" "$(dirname "$0")/../bench/present_counter.c" -ldl
counter=$out/counter
head -c 8 /dev/zero >"$counter"
read -r width height < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
wait_window=$(dirname "$0")/../../scripts/wait-window

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

snapshot=$WINEPREFIX/drive_c/velkor/Brinefold.bmp
velkor=$(dirname "$snapshot")
rm -rf "$velkor" "$velkor.real" && mkdir -p "$velkor"
convert -size 1024x768 xc:'rgb(40,240,40)' -fill 'rgb(240,40,40)' \
  -draw 'rectangle 0,0 511,767' -type TrueColor "BMP3:$snapshot"

LD_PRELOAD=$out/present_counter.so BF_PRESENT_COUNTER=$counter wine "$exe" &
pid=$!
small=""
cleanup() {
  kill "$pid" 2>/dev/null || true
  rm -f "$snapshot"
  if [[ -n $small ]]; then
    WINEPREFIX=$small wineserver -k 2>/dev/null || true
    rm -rf "$small"
  fi
}
trap cleanup EXIT

wid=$("$wait_window" 10 --name '^Brinefold_VC$') ||
  fail "no window titled Brinefold_VC"
[[ $(xdotool getwindowgeometry "$wid" | awk '/Geometry:/ { print $2 }') == "${width}x$height" ]] ||
  fail "the window does not cover the ${width}x$height screen: $(xdotool getwindowgeometry "$wid")"
# Frames shown so far, and a wait for N more (the first frame comes late on
# a busy machine: the texture's mipmaps).
frames() { od -An -tu8 "$counter" | tr -d ' '; }
wait_frames() { # N
  local until=$(($(frames) + $1))
  for _ in $(seq 100); do
    (($(frames) >= until)) && return
    sleep 0.2
  done
  fail "fewer than $1 frames in 20 s"
}
wait_frames 2  # the second frame on is tinted
import -window root "$out/frame-a.png"
wait_frames 2
import -window root "$out/frame-b.png"

# Frames a second and CPU (cores) of the renderer's process over a stretch.
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
measure() { # SECONDS: prints "FPS CORES"
  local f0 c0 t0 f1 c1 t1
  f0=$(frames); c0=$(ticks); t0=$(date +%s.%N)
  sleep "$1"
  f1=$(frames); c1=$(ticks); t1=$(date +%s.%N)
  awk -v f=$((f1 - f0)) -v c=$((c1 - c0)) -v t0="$t0" -v t1="$t1" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.1f %.2f\n", f / (t1 - t0), c / hz / (t1 - t0) }'
}
read -r fps cores < <(measure 3)
echo "running: $fps frames a second, $cores cores"
awk -v f="$fps" 'BEGIN { exit !(f <= 62) }' || fail "$fps frames a second on a 60 Hz display"
wine "$post_syscommand" Brinefold_VC F020 || fail "no window to minimise"
sleep 1
read -r fps cores < <(measure 3)
echo "minimised: $fps frames a second, $cores cores"
awk -v f="$fps" -v c="$cores" 'BEGIN { exit !(f == 0 && c < 0.05) }' || fail "minimised, it did not rest"
wine "$post_syscommand" Brinefold_VC F120
wait_frames 1  # the water again

xdotool windowfocus --sync "$wid" key Escape  # a quick tap
code=0
timeout 10 tail --pid="$pid" -f /dev/null || fail "the renderer did not end on Escape"
wait "$pid" || code=$?
((code == 0)) || fail "exit code $code after Escape"
if xdotool search --onlyvisible --name '^Brinefold_VC$' >/dev/null; then
  fail "the window is still there"
fi

# At 1024x768 llvmpipe draws under 60 frames a second on a busy machine; on a
# tiny screen (a Wine virtual desktop, once, on the standard bed) it could
# show a thousand, and the refresh must still bound it.
# In a copy of the prefix, with a wineserver of its own: Wine keeps a virtual
# desktop's size as the display's for every later program of its server, and
# the bed's other tests share ours (their windows shrank to 64x64).
if ((width == 1024)); then
  small=$out/small-prefix
  rm -rf "$small" && cp -a "$WINEPREFIX" "$small"
  head -c 8 /dev/zero >"$counter"
  WINEPREFIX=$small LD_PRELOAD=$out/present_counter.so BF_PRESENT_COUNTER=$counter \
    wine explorer /desktop=bf-small,64x64 "$exe" /keepresolution &
  pid=$!
  # Past the desktop's own painting and the slow first frame.
  for _ in $(seq 100); do (($(frames) > 5 * 64 * 64)) && break || sleep 0.2; done
  read -r fps _ < <(measure 2)
  # Keys go where the pointer is; a busy Wine may not have the desktop's focus
  # in time for the first press.
  xdotool mousemove --sync 32 32
  for _ in 1 2 3 4 5; do
    xdotool key Escape
    timeout 2 tail --pid="$pid" -f /dev/null && break
  done
  ! kill -0 "$pid" 2>/dev/null || fail "the renderer in the small desktop did not end on Escape"
  WINEPREFIX=$small wineserver -k 2>/dev/null || true
  rm -rf "$small"
  small=""
  echo "64x64: $fps frames a second"
  awk -v f="$fps" 'BEGIN { exit !(f > 0 && f <= 62) }' || fail "$fps frames a second on a small 60 Hz screen"
fi

# The pictures, point-sampled to 256x192 so that ImageMagick's -fx is quick.
for f in a b; do convert "$out/frame-$f.png" -sample '256x192!' "$out/small-$f.png"; done
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

# ends_unread WHAT: the renderer ends, silently, with exit code 0, having
# shown nothing. A renderer that read the picture puts frames on the screen;
# one merely slow to end (a busy machine) puts none meanwhile (a few images
# as its window comes and goes: 3 or 4 here).
ends_unread() {
  head -c 8 /dev/zero >"$counter"
  LD_PRELOAD=$out/present_counter.so BF_PRESENT_COUNTER=$counter wine "$exe" &
  pid=$!
  for _ in $(seq 100); do
    timeout 0.3 tail --pid="$pid" -f /dev/null && break
    (($(frames) < 20)) || fail "the renderer shows $1"
  done
  kill -0 "$pid" 2>/dev/null && fail "the renderer, showing nothing, did not end in 30 s with $1"
  echo "with $1: $(frames) image(s) put, then the end"
  local code=0
  wait "$pid" || code=$?
  ((code == 0)) || fail "exit code $code with $1"
  [[ -z $(xdotool search --name '^Error$' 2>/dev/null) ]] || fail "a message about $1"
}
# Wine takes a file's owner from its Unix owner: another account's picture is
# one chowned away (needs root).
chown 65534 "$snapshot" || fail "could not give the picture another owner"
ends_unread "another account's picture"
# The user's own picture, but C:\velkor is a link to the folder it lies in.
chown "$(id -u)" "$snapshot"
rm -rf "$velkor.real" && mv "$velkor" "$velkor.real" && ln -s "$velkor.real" "$velkor"
ends_unread "a picture behind a link"
rm "$velkor" && mv "$velkor.real" "$velkor"
echo "screenshots in $out"
