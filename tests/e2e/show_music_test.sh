#!/usr/bin/env bash
# The show's music with the real Brinefold.scr and a settings file beside it
# (the machine's default while the user has none), heard on the test bed's
# null sink: a WAV plays while the show runs and falls silent when it ends;
# a share named there is never opened; the user's own settings file wins
# over it: an MP3 it names plays and stops with the show (the sound player
# and the MP3 device are seen stopped in Wine's traces), and naming a missing
# file it plays nothing; with CD audio and no drive the CD check switches itself off and
# nothing is sent to the device at the end (read from Wine's MCI trace).
# The renderer is the stand-in (show_stand_in.cpp): its window lasts a set time.
#
# The MP3 show runs beside marker copies of system DLLs (PLANTED_DLL), Wine
# told to prefer them: none is loaded.
#
#   show_music_test.sh LAUNCHER_EXE STAND_IN_EXE PLANTED_DLL WORK_DIR     (inside a test bed's env)
set -euo pipefail

launcher=$1
stand_in=$2
planted_dll=$3
work=$4
: "${WINEPREFIX:?run inside the test bed (source DIR/env)}" "${PULSE_SERVER:?}"

folder=$WINEPREFIX/drive_c/bf-show-music
user_settings=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Brinefold
rm -rf "$work" "$folder" "$user_settings"
trap 'rm -rf "$user_settings"' EXIT
mkdir -p "$work" "$folder/my music"
cp "$launcher" "$folder/Brinefold.scr"
cp "$stand_in" "$folder/Brinefold.dll"
# One-second tones: a WAV must loop, an MP3 be restarted, to fill a show.
sox -n -r 44100 -c 2 -b 16 "$folder/my music/waves.wav" synth 1 sine 660 vol 0.5
lame --quiet -b 128 "$folder/my music/waves.wav" "$folder/my music/rain song.mp3"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The settings file as the dialog writes it: section "Section", Shift-JIS keys.
settings() { # KIND FILE [INI]
  printf '[Section]\r\nBGM\x8b\xe6\x95\xaa= %s\r\nBGM\xd8\xcb\xdf\xb0\xc4= 0\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' \
    "$1" "$2" >"${3:-$folder/Brinefold.ini}"
}

# levels, count: a recording read in tenths of a second.
source "$(dirname "$0")/../support/sound.sh"

# show NAME WINDOW_MS TAIL_S: one show of the real launcher (/s) whose renderer
# window lasts WINDOW_MS, recorded from before its start to TAIL_S seconds
# after its end (no recording when TAIL_S is "-"). Sets $heard; the
# launcher's stderr (Wine's traces) goes to $work/NAME.log.
show() {
  local name=$1 rec=$work/$1.wav code=0 rec_pid=
  if [[ $3 != - ]]; then
    parecord --latency-msec=20 --device=nullsink.monitor --file-format=wav "$rec" &
    rec_pid=$!
    sleep 0.3
  fi
  BF_STAND_IN="0,$2" wine 'C:\bf-show-music\Brinefold.scr' /s 2>"$work/$name.log" || code=$?
  ((code == 0)) || fail "$name: the launcher ended with $code"
  [[ -n $rec_pid ]] || return 0
  sleep "$3"
  kill -INT "$rec_pid"
  wait "$rec_pid" || true
  heard=$(levels "$rec")
  echo "$name: $heard"
}

settings 2 'C:\bf-show-music\my music\waves.wav'
WINEDEBUG=+winmm show wav 1500 1.2
(($(count "$heard") >= 10)) || fail "wav: only $(count "$heard") tenths of sound during a 1.5 s show"
[[ $heard == *.......... ]] || fail "wav: still sounding after the show"
# Silence alone would not tell: the sound ends with the process anyway.
[[ $(grep -a 'MULTIMEDIA_PlaySound' "$work/wav.log" | tail -1) == *"pszSound='0000000000000000'"*"fdwSound=00000000" ]] ||
  fail "wav: the sound player was not stopped at the end"

# A share named by the machine's default is never opened (the file trace
# would show it); the user's own file naming a local MP3 plays.
settings 2 '\\attacker.example\share\song.mp3'
WINEDEBUG=+file show share 800 0.2
(($(count "$heard") == 0)) || fail "share: sound was heard"
! grep -aqi 'attacker\.example' "$work/share.log" || fail "share: the machine's default made the launcher open a share"
mkdir -p "$user_settings"
settings 2 'C:\bf-show-music\my music\rain song.mp3' "$user_settings/Brinefold.ini"
planted=(winmm msimg32 uxtheme comctl32 comdlg32 shell32 mciqtz32 quartz)
for name in "${planted[@]}"; do cp "$planted_dll" "$folder/$name.dll"; done
prefer=$(IFS=,; echo "${planted[*]}")
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$prefer=n,b" WINEDEBUG=+mci,+file show mp3 2500 1.2
for name in "${planted[@]}"; do
  [[ ! -e $folder/$name.dll.loaded ]] || fail "mp3: the planted $name.dll was loaded"
  rm -f "$folder/$name.dll"
done
(($(count "$heard") >= 8)) || fail "mp3: only $(count "$heard") tenths of sound during a 2.5 s show"
[[ $heard == *.......... ]] || fail "mp3: still sounding after the show"
[[ $(grep -a 'mciSendStringW (L"' "$work/mp3.log" | tail -2 | grep -o 'L"[a-z]* MP3Play"' | tr '\n' ' ') == \
  'L"stop MP3Play" L"close MP3Play" ' ]] || fail "mp3: not stopped and closed at the end"
! grep -aqi 'attacker\.example' "$work/mp3.log" || fail "mp3: a share was opened"

# The user's own file naming a missing file.
settings 2 'C:\bf-show-music\my music\gone.wav' "$user_settings/Brinefold.ini"
show missing 800 0.2
(($(count "$heard") == 0)) || fail "the user's file naming a missing file: sound was heard"
rm -rf "$user_settings"

# No CD drive in the test bed: every cdaudio command fails.
settings 1 ''
WINEDEBUG=+mci show cd 600 -
cd_sent() { grep -ac "mciSendStringW (L\"$1\"" "$work/cd.log" || true; }
(($(cd_sent 'open cdaudio') == 1)) || fail "cd: not opened once"
(($(cd_sent 'status cdaudio current track') == 1)) || fail "cd: the check did not run exactly once"
(($(cd_sent 'stop cdaudio') + $(cd_sent 'close cdaudio') == 0)) || fail "cd: sent to the device at the end"

((failures == 0)) && echo "show music: all good"
exit $((failures > 0))
