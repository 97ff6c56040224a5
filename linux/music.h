// The hack's background music: one MP3 or WAV file (anything GStreamer's
// decoders play, but never a playlist or a network stream) on a loop, from
// the start of the show to its end, in one of the user's hacks at a time.
// Music is a nicety: a file that is missing or cannot be played, or a tune
// another instance plays already, gives silence and one line on stderr,
// never an end of the show.
#pragma once

// Starts the file, or, while another of the user's hacks still holds the
// music (one that is ending), as soon as that one lets go, within about 3
// seconds; after that, or when the file is missing or no player can be
// made, silence.
void StartMusic(const char* path);

// Called at least a few times a second: starts the waiting file once it may,
// starts the file again when it has ended, and gives the music up when the
// player reports an error.
void KeepMusicPlaying();

// Stops and releases the player; nothing when no music plays.
void StopMusic();
