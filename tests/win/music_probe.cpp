// Plays music through Brinefold_BGM with the real winmm calls, the way the show
// drives it, so that a script can record the sound sink meanwhile:
//   music_probe mp3 FILE PLAY_MS AFTER_MS   Mp3Play, Mp3Poll every second (until
//                                            the second restart), Mp3Stop
//   music_probe wav FILE PLAY_MS AFTER_MS   WavPlay, WavStop
// After stopping it waits AFTER_MS, so that the recording ends in silence.
// Prints every MCI command with its code, then "restarts=N" (MP3) or
// "devices=N play=R stop=R" (WAV). Exit code 2 on bad arguments.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/music/bgm.h"
#include "launcher/music/bgm_win.h"
#include "launcher/runtime/runtime.h"
#include "launcher/settings/settings.h"

namespace {

int g_restarts = 0;

// The real calls, each MCI command logged as it goes out.
BgmPlatform LoggingWinmm()
{
    BgmPlatform real = BgmWinmm();
    BgmPlatform p = real;
    p.mciSend = [real](const std::string& command, uint32_t size, std::string& reply) {
        const int32_t code = real.mciSend(command, size, reply);
        std::printf("%s -> %d \"%s\"\n", command.c_str(), static_cast<int>(code), reply.c_str());
        if (command == "play MP3Play from 0")
            ++g_restarts;
        std::fflush(stdout);
        return code;
    };
    return p;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    const std::string kind = argv[1];
    BgmFile = argv[2];
    const DWORD playMs = static_cast<DWORD>(std::atoi(argv[3]));
    const DWORD afterMs = static_cast<DWORD>(std::atoi(argv[4]));
    BgmUsePlatform(LoggingWinmm());

    if (kind == "mp3") {
        const DWORD start = GetTickCount();
        Mp3Play();
        // The show's MP3 timer: one check a second, until the second restart
        // (so two whole plays come before it, however late each one starts on
        // a busy machine) or PLAY_MS; the stop a second after the last check.
        DWORD tick = 1000;
        for (; tick <= playMs && g_restarts < 2; tick += 1000) {
            const DWORD now = GetTickCount() - start;
            if (now < tick)
                Sleep(tick - now);
            Mp3Poll();
        }
        const DWORD now = GetTickCount() - start;
        if (now < tick)
            Sleep(tick - now);
        Mp3Stop();
        Sleep(afterMs);
        std::printf("restarts=%d\n", g_restarts);
    } else if (kind == "wav") {
        const UINT devices = waveOutGetNumDevs();
        WavPlay();
        const int32_t played = LastResult;
        Sleep(playMs);
        WavStop();
        std::printf("devices=%u play=%d stop=%d\n", devices, static_cast<int>(played), static_cast<int>(LastResult));
        Sleep(afterMs);
    } else {
        return 2;
    }
    return 0;
}
