# Reading what the test bed's null sink recorded, for the sound tests
# (sourced: tests/win/music_sound_test.sh, tests/e2e/show_music_test.sh).

# levels WAV: the recording as one character per tenth of a second, '#' sound
# and '.' silence.
levels() {
  sox "$1" -t dat - remix 1 | awk '
    /^;/ { next }
    { sum += $2 * $2; n++ }
    n == 4410 { printf "%s", (sqrt(sum / n) > 0.05 ? "#" : "."); sum = 0; n = 0 }
    END { print "" }'
}

# count LEVELS: the tenths with sound.
count() { local s=${1//[^#]/}; echo ${#s}; }
