#!/usr/bin/env bash
# The hack run by a real xscreensaver daemon on a private Xvfb display:
# `xscreensaver-command -activate` starts it on the daemon's window, and the
# screen shows the water over the desktop the daemon saved before blanking
# (left red, right green, tinted); `-deactivate` ends the hack's process.
#
# xscreensaver never starts hacks as root: as root this script runs the
# daemon as the ordinary user brinefold-xs (made once, kept for later runs,
# which may overlap), with a home and a copy of the hack of this run's own.
#
#   hack_xscreensaver_test.sh HACK OUT_DIR
set -euo pipefail
hack=$1
out=$2
mkdir -p "$out"
# shellcheck source=x11_support.sh
source "$(dirname "$0")/x11_support.sh"

user=$(id -un)
if (($(id -u) == 0)); then
  user=brinefold-xs
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null ||
    id "$user" >/dev/null 2>&1 || fail "cannot make the user $user"
fi
# Under /tmp, so the user reaches it whatever the build folder's rights.
home=$(mktemp -d /tmp/brinefold-xs.XXXXXX)
cleanup() {
  if [[ -n ${DISPLAY:-} ]]; then as_user xscreensaver-command -exit >/dev/null 2>&1 || true; fi
  stop_started
  rm -rf "$home"
}
trap cleanup EXIT
cp "$hack" "$home/brinefold"
chmod 755 "$home" "$home/brinefold"
chown "$user" "$home"
as_user() { runuser -u "$user" -- env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"; }
if [[ $user == "$(id -un)" ]]; then
  as_user() { env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"; }
fi

start_xvfb "$out"
paint_desktop "$out"

cat >"$home/.xscreensaver" <<CONF
mode:               one
selected:           0
programs:           $home/brinefold --root
grabDesktopImages:  True
chooseRandomImages: False
lock:               False
fade:               False
unfade:             False
splash:             False
timeout:            1:00:00
CONF
chown "$user" "$home/.xscreensaver"

log=$out/xscreensaver.log
as_user xscreensaver -no-splash -verbose >"$log" 2>&1 &
started_pids+=($!)
for _ in $(seq 100); do
  as_user xscreensaver-command -version >/dev/null 2>&1 && break
  sleep 0.1
done
as_user xscreensaver-command -version >/dev/null 2>&1 || fail "the daemon did not come up (see $log)"

as_user xscreensaver-command -activate >/dev/null
hack_pid=""
for _ in $(seq 100); do
  hack_pid=$(sed -n 's/.*forked ".*brinefold --root" in pid \([0-9]*\).*/\1/p' "$log" | tail -1)
  [[ -n $hack_pid ]] && break
  sleep 0.1
done
[[ -n $hack_pid ]] || fail "the daemon did not start the hack (see $log)"
grep -q 'saved screenshot' "$log" || fail "the daemon saved no screenshot"
shoot_until "$out/activated.png" 20 tinted_desktop 1024x768+0+0 "activated" ||
  fail "the desktop the daemon saved is not under the tinted water"
kill -0 "$hack_pid" 2>/dev/null || fail "the hack ended by itself (see $log)"

as_user xscreensaver-command -deactivate >/dev/null
for _ in $(seq 50); do
  kill -0 "$hack_pid" 2>/dev/null || break
  sleep 0.1
done
! kill -0 "$hack_pid" 2>/dev/null || fail "the hack still runs after -deactivate"
echo "deactivated: the hack (pid $hack_pid) ended; screenshot in $out"
