// Brinefold_BGM: the background music of the show. A music CD through the MCI
// device "cdaudio", an MP3 file through an MPEGVideo device opened as MP3Play,
// or a WAV file through the sound player. CD and MP3 do not repeat by
// themselves, so the show's timers call CdPoll (200 ms) and Mp3Poll (1000 ms)
// to restart them; a WAV file loops by itself.
//
// Portable: every platform call goes through BgmPlatform. The Windows build
// plugs in the winmm calls (launcher/music/bgm_win.h); tests plug in a fake.
// Reads BgmFile and BgmRepeatTrack (launcher/settings/settings.h), writes
// LastResult (launcher/runtime/runtime.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The few multimedia services the module needs.
struct BgmPlatform {
    // mciSendStringA(command, reply buffer of bufferSize characters or none
    // when bufferSize is 0, bufferSize, no callback window): the MCI code;
    // reply gets the buffer's text up to its first NUL (empty without buffer).
    std::function<int32_t(const std::string& command, uint32_t bufferSize, std::string& reply)> mciSend;
    // mciGetErrorStringA(code, buffer, bufferSize): true when a text was written.
    std::function<bool(int32_t code, uint32_t bufferSize, std::string& text)> mciErrorText;
    // waveOutGetNumDevs().
    std::function<uint32_t()> waveOutDevices;
    // PlaySoundA(name, no module, flags); name is null for "no sound". Non-zero on success.
    std::function<int32_t(const char* name, uint32_t flags)> playSound;
};

// Routes the module's platform calls (the module keeps its own copy). Until
// this is called, and for any operation left empty, every MCI command fails
// with BgmNoDriver, there is no wave device and the sound player fails.
void BgmUsePlatform(const BgmPlatform& platform);

// The MCI code given while no platform is plugged in (MCIERR_CANNOT_LOAD_DRIVER).
constexpr int32_t BgmNoDriver = 266;

// Buffer sizes, in characters, handed to the platform.
constexpr uint32_t CdModeBufferSize = 255;
constexpr uint32_t Mp3ModeBufferSize = 30;
constexpr uint32_t ReplyBufferSize = 512;
constexpr uint32_t ErrorBufferSize = 256;

// PlaySoundA flags.
constexpr uint32_t SndAsync = 0x0001;
constexpr uint32_t SndNoDefault = 0x0002;  // a file that cannot play stays silent
constexpr uint32_t SndLoop = 0x0008;

// True at the start of every CD check, false once a check met an MCI error or
// a reply it could not read; the show keeps the CD timer enabled by it.
extern bool CdPollActive;

// Opens "cdaudio" in track/minute/second/frame time; the first CdPoll starts it.
void CdOpen();
// One CD check: restarts the disc, or the chosen track, when it stopped or
// moved on.
void CdPoll();
// Stops and closes "cdaudio".
void CdStop();

// Opens BgmFile as MP3Play and plays it if the open succeeded.
void Mp3Play();
// Whether MP3Play reports the mode "playing".
bool Mp3IsPlaying();
// One MP3 check: restarts MP3Play from its beginning when it is not playing.
void Mp3Poll();
// Stops and closes MP3Play.
void Mp3Stop();

// Loops BgmFile with the sound player, if there is a wave output device.
void WavPlay();
// Stops the sound player.
void WavStop();

// The result of one MCI command string: its code and the reply or error text.
struct MciResult {
    int32_t code;
    std::string text;
};

// Sends a command with a reply buffer; on failure the text is the code's
// error text. An empty command is not sent (code -1).
MciResult MciCommand(const std::string& command);
// The reply to a command, or "Error:" + the code when it failed.
std::string MciQuery(const std::string& command);
// Sends "play " + device [+ " from " + from] [+ " to " + to]; returns the code.
int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to);
