#!/usr/bin/env bash
# Real playback through Brinefold_BGM under Wine, heard on the test bed's null
# sink: an MP3 in a folder with spaces plays and is restarted by the checks
# after it ends; a WAV loops by itself; both fall silent when stopped.
#   music_sound_test.sh PROBE_EXE WORK_DIR
set -euo pipefail

probe=$1
work=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
: "${PULSE_SERVER:?no test bed in the environment (source the env file of scripts/testbed up)}"

rm -rf "$work"
mkdir -p "$work/my music"
# One-second tones: short enough that a single play cannot fill the run.
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 1 sine 660 vol 0.5
lame --quiet -b 128 "$work/tone.wav" "$work/my music/rain song.mp3"
cp "$work/tone.wav" "$work/my music/waves.wav"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# levels: a recording read in tenths of a second.
source "$here/tests/support/sound.sh"
# A dropout of a tenth or two inside a play (a busy machine) is no end of it.
bridged() { perl -pe 's/(?<=#)\.{1,2}(?=#)/"#" x length($&)/ge' <<<"$1"; }
runs() { tr -s '.' ' ' <<<"$1" | wc -w; }                     # separate stretches of sound
longest() { tr -s '.' '\n' <<<"$1" | awk '{ if (length > m) m = length } END { print m + 0 }'; }

# record KIND FILE PLAY_MS AFTER_MS: runs the probe while recording the sink.
record() {
  local kind=$1 file=$2 rec=$work/$1.wav
  parecord --latency-msec=20 --device=nullsink.monitor --file-format=wav "$rec" &
  local rec_pid=$!
  sleep 0.3
  "$here/scripts/wine-exec" "$probe" "$kind" "$(winepath -w "$file")" "$3" "$4" \
    2>&1 | tr -d '\r' >"$work/$kind.log" || fail "$kind: probe failed"
  kill -INT "$rec_pid"
  wait "$rec_pid" || true
  grep -v '^ALSA lib' "$work/$kind.log" | sed 's/^/  /'
}

# MP3: a check each second until the second restart (at most 12 s), then
# 1.2 s after the stop. Expected: the file plays to its end, is heard again
# after a check restarted it, and each play but the last (which the stop may
# cut) is whole. How much sound the run holds in all depends on how late each
# play starts, on a busy machine up to a few seconds, so that is not judged.
record mp3 "$work/my music/rain song.mp3" 12000 1200
grep -q '^open ".*\\my music\\rain song.mp3" type MPEGVideo Alias MP3Play -> 0 ' "$work/mp3.log" ||
  fail "mp3: the path with spaces did not open"
grep -q '^restarts=[1-9]' "$work/mp3.log" || fail "mp3: never restarted after it ended"
heard=$(levels "$work/mp3.wav")
echo "mp3: $heard"
heard=$(bridged "$heard")
(($(runs "$heard") >= 2)) || fail "mp3: not heard again after it ended"
# (A starved sound server drops a tenth or so of a play now and then.)
cut=$(tr -s '.' '\n' <<<"$heard" | grep . | head -n -1 | awk 'length < 6' | wc -l)
((cut == 0)) || fail "mp3: $cut of the plays before the last cut short (the file is 10 tenths)"
[[ $heard == *.......... ]] || fail "mp3: still sounding after Mp3Stop"

# WAV: 4 s of looping (the sound starts up to 2 s late on a busy machine),
# then 1.2 s after the stop. Expected: one unbroken stretch well beyond the
# file's one second, then silence.
record wav "$work/my music/waves.wav" 4000 1200
grep -q '^devices=[1-9].* play=1 ' "$work/wav.log" || fail "wav: not started"
heard=$(levels "$work/wav.wav")
echo "wav: $heard"
heard=$(bridged "$heard")
(($(longest "$heard") >= 20)) || fail "wav: did not loop (longest sound $(longest "$heard") tenths)"
[[ $heard == *.......... ]] || fail "wav: still sounding after WavStop"

((failures == 0)) && echo "music sound: all good"
exit $((failures > 0))
