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

# Xvfb on a display number it picks itself (free at that moment, whatever
# else runs on this machine), 1024x768; sets DISPLAY. $1: a scratch folder.
# No reset when the last client goes, so the desktop picture stays between
# the programs a script runs one after the other.
start_xvfb() {
  local dir=$1 n
  rm -f "$dir/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
  started_pids+=($!)
  for _ in $(seq 100); do
    n=$(head -1 "$dir/display" 2>/dev/null)
    [[ -n $n ]] && break
    sleep 0.1
  done
  [[ -n $n ]] || fail "Xvfb did not start (see $dir/xvfb.log)"
  export DISPLAY=:$n
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
