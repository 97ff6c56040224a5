#!/usr/bin/env bash
# The real hack on a private Xvfb display (Mesa), checked on screenshots:
#  1. its own window over the grabbed desktop (left red, right green), traced:
#     the picture lies under the water tinted, the water moves, the -fps text
#     is in the lower left corner, a playlist posing as -music plays nothing
#     (one line) and opens no network socket, no file is written on the way;
#     unmapped (iconified) it draws nothing, mapped again it goes on, and q
#     ends it with exit code 0 within a moment;
#  2. -image FILE lays that picture instead, a SMIL playlist as -music plays
#     nothing, and SIGTERM ends it the same way in the middle of a long
#     -delay; in that delay only one frame is shown, a close request of the
#     wrong type and a stream for an adaptive demuxer change nothing, and Q
#     ends it;
#  3. two given windows made by another program, one by -window-id, one by
#     XSCREENSAVER_WINDOW with --root: both floors come from the image helper
#     (a stand-in on PATH that notes its calls), the XSCREENSAVER_WINDOW one
#     plays the music and the -window-id one (a preview) none, a stray
#     ClientMessage ends neither, a hidden host window does not stop its hack
#     for good, the hack follows a resize and ends with exit code 0 when its
#     window goes; a hack started while the music's one is ending plays it.
#
#   hack_x11_test.sh HACK OUT_DIR X11_TOOL PRESENT_COUNTER_LIBRARY GST_STAND_IN_FOLDER
set -euo pipefail
hack=$1
out=$2
x11_tool=$3
present_counter=$4
gst_stand_in=$5
mkdir -p "$out"
# shellcheck source=x11_support.sh
source "$(dirname "$0")/x11_support.sh"
wait_window=$(dirname "$0")/../../scripts/wait-window
trap stop_started EXIT

start_xvfb "$out"
paint_desktop "$out"
# The user's private folder for the music lock.
export XDG_RUNTIME_DIR=$out/runtime
rm -rf "$XDG_RUNTIME_DIR"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# Frames shown so far by the process whose counter file is $1.
frames_shown() { od -An -tu8 "$1" | tr -d ' '; }

# --- 1. own window, traced: grab, music, unmap, q ---------------------------
# An HLS playlist whose segments a demuxer would fetch from the network.
printf '#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10.0,\nhttp://127.0.0.1:9/a.ts\n#EXT-X-ENDLIST\n' \
  >"$out/playlist.mp3"
head -c 8 /dev/zero >"$out/own.count"
# One trace file a thread (-ff): a call two threads interleave is otherwise
# split in two lines, the second without its path.
rm -f "$out"/own.trace*
strace -ff -qq -o "$out/own.trace" -e trace=open,openat,creat,rename,renameat2,link,linkat,memfd_create,socket \
  env LD_PRELOAD="$present_counter" BF_PRESENT_COUNTER="$out/own.count" \
  "$hack" -window -fps -music "$out/playlist.mp3" 2>"$out/own.log" &
tracer=$!
started_pids+=("$tracer")
wid=$("$wait_window" 10 --name '^Brinefold$') ||
  fail "no window titled Brinefold"
pid=$(xprop -id "$wid" _NET_WM_PID | awk '{ print $3 }')
[[ $pid =~ ^[0-9]+$ ]] || fail "no _NET_WM_PID on the window"
started_pids+=("$pid") # strace, stopped, would leave it behind
shoot_until "$out/own-a.png" 20 tinted_desktop 1024x768+0+0 "own window" ||
  fail "own window: not the desktop under the tinted water"
# The frame rate, yellow, in the lower left corner once a second has passed,
# its last line "FPS: 59.9" in the 6-pixel "fixed" font from x = 10: the
# space after "FPS:" is a clear gap before the figure; the line before it
# ("Load: ...") just above.
fps_text() {
  local yellow='r > 0.7 && g > 0.7 && b < 0.3' text load gap figure
  text=$(count "$1" 160x50+0+718 "$yellow")
  load=$(count "$1" 160x10+0+731 "$yellow")
  gap=$(count "$1" 6x10+33+746 "$yellow")
  figure=$(count "$1" 6x10+40+746 "$yellow")
  echo "own window: yellow text pixels $text, in the first line $load, in the space $gap, in the figure's first digit $figure"
  ((text > 40 && load > 20)) || return 2
  ((gap == 0 && figure > 0))
}
sleep 0.5
shoot_until "$out/own-b.png" 10 fps_text || fail "no -fps text in the lower left corner"
for f in a b; do convert "$out/own-$f.png" -sample 256x192 "$out/small-$f.png"; done
moved=$(compare -metric AE -fuzz 3% "$out/small-a.png" "$out/small-b.png" null: 2>&1 || true)
rm -f "$out"/small-?.png
echo "own window: changed $moved of 49152"
((${moved%%.*} > 300)) || fail "the picture did not change between frames"

# Unmapped, as a window manager iconifies: no frames, until it is back.
xdotool windowunmap --sync "$wid"
# A frame begun before the unmap may still be shown, late on a busy machine:
# the second counted starts once the count has stood still for a moment.
before=$(frames_shown "$out/own.count")
for _ in $(seq 15); do
  sleep 0.3
  [[ $(frames_shown "$out/own.count") == "$before" ]] && break
  before=$(frames_shown "$out/own.count")
done
sleep 1
hidden=$(($(frames_shown "$out/own.count") - before))
xdotool windowmap --sync "$wid"
sleep 1
after=$(frames_shown "$out/own.count")
echo "own window: frames shown while unmapped $hidden, in the second after $((after - before - hidden))"
((hidden == 0)) || fail "the unmapped window went on drawing"
((after - before > 5)) || fail "the window mapped again does not draw"

xdotool windowfocus --sync "$wid" key q
wait_end "$tracer" 3 || fail "q did not end the hack"
((ended_code == 0)) || fail "exit code $ended_code after q"
[[ $(grep -c 'brinefold: no music: .*playlist' "$out/own.log") == 1 ]] || fail "no one line about the playlist"
! grep -E 'socket\(AF_INET6?,' "$out"/own.trace.* || fail "the hack opened a network socket (above)"
# Files made or opened for writing, but for devices, the music lock, the
# frame counter, the caches of Mesa and GStreamer and PulseAudio's memory.
written=$(grep -hE 'O_(WRONLY|RDWR|CREAT)|creat\(|rename|link\(|memfd_create' "$out"/own.trace.* |
  grep -vE '"/dev/|brinefold-music\.lock|own\.count|/\.cache/|"pulseaudio"|= -1 ' || true)
[[ -z $written ]] || fail "files written during the grab: $written"

# --- 2. -image, SIGTERM within a long delay ---------------------------------
# Top half blue, bottom half yellow: nothing red or green from the desktop.
convert -size 640x480 xc:'rgb(240,240,40)' -fill 'rgb(40,40,240)' -draw 'rectangle 0,0 639,239' \
  -type TrueColor "BMP3:$out/floor.bmp"
# A playlist of another kind, which no adaptive demuxer takes: only the guard
# on the media type keeps it out.
printf '<?xml version="1.0"?>\n<smil xmlns="http://www.w3.org/ns/SMIL">\n<body><audio src="http://127.0.0.1:9/a.mp3"/></body>\n</smil>\n' \
  >"$out/smil.mp3"
# The one line about a playlist in LOG, within 5 s.
refused() { for _ in $(seq 50); do grep -q 'brinefold: no music: .*playlist' "$1" && return || sleep 0.1; done; false; }
"$hack" -image "$out/floor.bmp" -delay 20000000 -music "$out/smil.mp3" 2>"$out/image.log" &
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
  ((blues > 1500 && desktop < 200)) && return 0
  ((desktop < 200)) && return 2
  return 1
}
shoot_until "$out/image.png" 20 image_floor || fail "the -image picture is not the floor"
refused "$out/image.log" || fail "the SMIL playlist was not refused as one"
kill -TERM "$pid"
wait_end "$pid" 2 || fail "SIGTERM did not end the hack within its 20 s frame"
((ended_code == 0)) || fail "exit code $ended_code after SIGTERM"

# Again in a small window: one frame only in the long delay, a close request
# under a message type other than the window manager's ignored, and a stream
# of a media type no guard knows, taken by an element of the adaptive
# demuxers' kind (tests/linux/gst_stand_in.c), refused; Q ends it.
printf '#BF-STREAM\nnothing to play\n' >"$out/stream.mp3"
head -c 8 /dev/zero >"$out/delay.count"
LD_PRELOAD="$present_counter" BF_PRESENT_COUNTER="$out/delay.count" GST_PLUGIN_PATH="$gst_stand_in" \
  GST_REGISTRY="$out/gst-registry.bin" "$hack" -window -geometry 64x48 \
  -image "$out/floor.bmp" -delay 20000000 -music "$out/stream.mp3" 2>"$out/delay.log" &
pid=$!
started_pids+=("$pid")
wid=$("$wait_window" 10 --name '^Brinefold$') || fail "no window with a long -delay"
"$x11_tool" stray-message "$wid"
for _ in $(seq 100); do
  first=$(frames_shown "$out/delay.count")
  ((first > 0)) && break || sleep 0.1
done
sleep 0.5
kill -0 "$pid" || fail "a ClientMessage naming WM_DELETE_WINDOW under another type ended the hack"
echo "-delay 20 s: $first frame(s) shown at first, $(frames_shown "$out/delay.count") half a second later"
((first > 0 && $(frames_shown "$out/delay.count") == first)) || fail "not one frame in a 20 s -delay"
refused "$out/delay.log" || fail "the stream for an adaptive demuxer was not refused"
xdotool windowfocus --sync "$wid" key Q
wait_end "$pid" 2 || fail "Q did not end the hack within its 20 s frame"
((ended_code == 0)) || fail "exit code $ended_code after Q"

# --- 3. given windows, the image helper, the music, stray messages ----------
# The stand-in helper notes the window it is asked for and copies the screen
# into the pixmap, as the real one does when the user lets it grab the desktop.
mkdir -p "$out/bin"
cat >"$out/bin/xscreensaver-getimage" <<HELPER
#!/bin/sh
echo "\$1" >>"$out/getimage.log"
exec "$x11_tool" copy-screen "\$@"
HELPER
chmod +x "$out/bin/xscreensaver-getimage"
rm -f "$out/getimage.log"
sox -q -n -r 22050 -c 1 "$out/tone.wav" synth 30 sine 440

# The logo is drawn in each shell's one child, which covers it: that is the
# window to draw into (and the shell's resize reaches it).
host_window() { # title geometry: sets host (the child), shell and host_pid
  xlogo -title "$1" -geometry "$2" 2>/dev/null &
  host_pid=$!
  started_pids+=("$host_pid")
  shell=$("$wait_window" 10 --name "^$1\$") || fail "no host window $1"
  host=$(xwininfo -children -id "$shell" | awk '/child:$/ { getline; print $1 }')
  [[ -n $host ]] || fail "the host window has no child"
}
host_window host-a 320x240+0+0
host_a=$host shell_a=$shell pid_host_a=$host_pid
host_window host-b 320x240+0+400
host_b=$host pid_host_b=$host_pid

# Whether process $1 has the music file open (its player plays it).
plays_tone() { ls -l "/proc/$1/fd" 2>/dev/null | grep -q 'tone\.wav'; }

# The preview's hack without the lock's folder, where every hack plays: only
# the -window-id rule keeps it silent, whichever of the two comes first.
PATH=$out/bin:$PATH env -u XDG_RUNTIME_DIR "$hack" -window-id "$host_a" -music "$out/tone.wav" \
  2>"$out/given-a.log" &
pid_a=$!
started_pids+=("$pid_a")
PATH=$out/bin:$PATH XSCREENSAVER_WINDOW=$host_b "$hack" --root -music "$out/tone.wav" 2>"$out/given-b.log" &
pid_b=$!
started_pids+=("$pid_b")
shoot_until "$out/given-a.png" 20 tinted_desktop 320x240+0+0 "given window" ||
  fail "given window: not the desktop under the tinted water"
outside=$(count "$out/given-a.png" 300x200+500+400 'abs(r - 0.16) < 0.05 && g > 0.9')
((outside > 50000)) || fail "the hack drew outside the given window"
shoot_until "$out/given-b.png" 20 tinted_desktop 320x240+0+400 "XSCREENSAVER_WINDOW" ||
  fail "XSCREENSAVER_WINDOW: not the desktop under the tinted water"
for host in "$host_a" "$host_b"; do
  grep -qx "$(printf '0x%x' "$host")" "$out/getimage.log" || fail "the image helper was not asked for $host"
done
! plays_tone "$pid_a" || fail "the -window-id hack (a preview) plays the music"
plays_tone "$pid_b" || fail "the XSCREENSAVER_WINDOW hack plays no music"

"$x11_tool" stray-message "$host_b"
"$x11_tool" stray-message "$host_a"
sleep 0.5
kill -0 "$pid_a" && kill -0 "$pid_b" || fail "a stray ClientMessage ended a hack"
# Hidden by its host for a moment, the window is drawn again once shown.
xdotool windowunmap --sync "$host_b"
sleep 0.5
xdotool windowmap --sync "$host_b"
shoot_until "$out/given-b2.png" 20 tinted_desktop 320x240+0+400 "XSCREENSAVER_WINDOW shown again" ||
  fail "the hack stopped when its host hid the window"

# Kills host window $1: its hack $2 ends, with exit code 0.
ends_with_host() {
  kill "$1"
  wait_end "$2" 5 || fail "a hack did not end with its host window"
  ((ended_code == 0)) || fail "exit code $ended_code after the host window went"
}

# The next hack, as xscreensaver cycles: it waits for the lock of the one
# ending (from its first frame on, it has asked), then plays.
head -c 8 /dev/zero >"$out/next.count"
LD_PRELOAD=$present_counter BF_PRESENT_COUNTER=$out/next.count \
  "$hack" -window -geometry 200x150+700+50 -music "$out/tone.wav" 2>"$out/next.log" &
pid_next=$!
started_pids+=("$pid_next")
for _ in $(seq 100); do
  (($(frames_shown "$out/next.count") > 0)) && break
  sleep 0.1
done
ends_with_host "$pid_host_b" "$pid_b"
for tenths in $(seq 30); do
  plays_tone "$pid_next" && break
  sleep 0.1
done
echo "next hack: music after $tenths tenths of a second since the last one ended"
plays_tone "$pid_next" || fail "the hack started while the last one ended plays no music: $(cat "$out/next.log")"
kill "$pid_next"

xdotool windowsize "$shell_a" 640 320
shoot_until "$out/given-a2.png" 20 tinted_desktop 640x320+0+0 "given window after resize" ||
  fail "given window: the picture did not follow the resize"
ends_with_host "$pid_host_a" "$pid_a"
echo "screenshots in $out"
