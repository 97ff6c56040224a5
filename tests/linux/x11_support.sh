# What the Linux end-to-end scripts share (sourced): a private Xvfb display
# whose desktop is a known picture, screenshots counted by colour, and the
# clean-up of exactly what the script started.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

started_pids=()
# Stops what this script started, newest first, each before the next (the
# display last, so no program loses it under its feet), by PID.
stop_started() {
  local k
  for ((k = ${#started_pids[@]} - 1; k >= 0; k--)); do
    kill "${started_pids[k]}" 2>/dev/null || true
    wait "${started_pids[k]}" 2>/dev/null || true
  done
  started_pids=()
}

# shellcheck source=../../scripts/start-x.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/start-x.sh"

# Xvfb, 1024x768, on a display number it picks itself; sets DISPLAY. $1: a
# scratch folder. No reset when the last client goes, so the desktop picture
# stays between the programs a script runs one after the other.
start_xvfb() {
  start_x "$1/xvfb.log" Xvfb -screen 0 1024x768x24 -noreset || fail "no X server"
  started_pids+=("$x_pid")
  export DISPLAY=$x_display
}

# The desktop picture: the left half red, the right half green.
paint_desktop() {
  local png=$1/desktop.png
  convert -size 1024x768 xc:'rgb(40,240,40)' -fill 'rgb(240,40,40)' -draw 'rectangle 0,0 511,767' "$png"
  # It sets the root window's background and then reports failure, always.
  display -window root "$png" 2>/dev/null || true
}

# Pixels of a region of an image that satisfy an -fx expression.
count() { # image geometry expression
  convert "$1" -crop "$2" +repage -fx "$3 ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}

# Waits for a process to end by itself; its exit code in $ended_code.
# $1 pid, $2 seconds. False when it did not end in time.
wait_end() {
  local pid=$1 seconds=$2
  timeout "$seconds" tail --pid="$pid" -f /dev/null || return 1
  ended_code=0
  wait "$pid" || ended_code=$?
}

# Screenshots of the whole screen into FILE until CHECK FILE passes, for at
# most SECONDS: how soon a show is up depends on the machine's load, what it
# must show does not. CHECK returns 0 (it passes), 1 (the region shows
# something else) or 2 (nothing drawn there yet). Once something shows, the
# check must pass in that screenshot or the next: a wrong picture does not
# get to wait for a lucky frame. False when it does not (CHECK said why).
shoot_until() { # file seconds check...
  local file=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds)) misses=0 result
  while true; do
    import -window root "$file"
    result=0
    "$@" "$file" || result=$?
    ((result == 0)) && return 0
    if ((result == 1)); then
      ((++misses < 2)) || return 1
    fi
    ((SECONDS < deadline)) || return 1
    sleep 0.3
  done
}

# The desktop (left red, right green) under the tinted water, in a region of
# a screenshot. The scene turns about the horizontal axis, so how much of the
# floor shows depends on the tilt of the moment (next to nothing edge-on);
# what does not is the floor's colours: red left of the middle, green right
# of it, as much of each, none on the wrong side, nothing near the desktop's
# own 240 (red and green are scaled by 0.2). Nothing drawn yet while the
# region shows little but black, white or the bare desktop (a screenshot
# taken as the window appears, or the floor edge-on). Sampled down for a
# quick count.
tinted_desktop() { # geometry label file
  local small=${3%.png}-small.png reds greens wrong bright drawn w h
  local red='r > g + 0.08 && r > 0.1' green='g > r + 0.08 && g > 0.1'
  convert "$3" -crop "$1" +repage -sample 25% "$small"
  w=$(identify -format '%w' "$small")
  h=$(identify -format '%h' "$small")
  local left="$((w / 2))x$h+0+0" right="$((w / 2))x$h+$((w / 2))+0"
  reds=$(count "$small" "$left" "$red")
  greens=$(count "$small" "$right" "$green")
  wrong=$(($(count "$small" "$left" "$green") + $(count "$small" "$right" "$red")))
  bright=$(count "$small" "${w}x${h}+0+0" 'max(r, g) > 0.85')
  drawn=$(count "$small" "${w}x${h}+0+0" 'max(r, g, b) > 0.05 && max(r, g, b) < 0.85')
  rm -f "$small"
  echo "$2: red-ish left $reds, green-ish right $greens, on the wrong side $wrong, bright $bright, drawn $drawn (of $((w * h)))"
  ((bright < w * h / 500)) || return 2
  # The water blended any other way leaves no floor colour, a picture that
  # does not fill the region puts its middle elsewhere.
  ((reds > w * h / 100 && greens > w * h / 100 && wrong * 20 < reds + greens &&
    10 * reds > 7 * greens && 10 * greens > 7 * reds)) && return 0
  ((drawn > w * h / 10)) && return 1
  return 2
}
