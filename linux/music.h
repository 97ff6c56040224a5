// The hack's background music: one MP3 or WAV file (anything GStreamer's
// decoders play, but never a playlist or a network stream) on a loop, from
// the start of the show to its end, in one of the user's hacks at a time.
// Music is a nicety: a file that is missing or cannot be played, or a tune
// another instance plays already, gives silence and one line on stderr,
// never an end of the show.
#pragma once

// Starts the file; false when it is missing, another of the user's hacks
// plays music, or no player can be made.
bool StartMusic(const char* path);

// Called once per frame: starts the file again when it has ended, and gives
// the music up when the player reports an error.
void KeepMusicPlaying();

// Stops and releases the player; nothing when no music plays.
void StopMusic();
