#include "launcher/show/show.h"

#include <string_view>

#include "common/contract.h"
#include "launcher/music/bgm.h"
#include "launcher/runtime/runtime.h"
#include "launcher/settings/settings.h"

std::wstring RendererArguments(const std::wstring& picture, bool keepResolution)
{
    std::wstring arguments = L"\"" + picture + L"\"";
    if (keepResolution) {
        const std::string_view keep = kKeepResolutionSwitch;
        arguments += L" " + std::wstring(keep.begin(), keep.end());
    }
    return arguments;
}

std::string MusicFileType(const std::string& file)
{
    const auto chars = AnsiCharacters(file);
    const size_t first = chars.size() > 3 ? chars.size() - 3 : 0;
    std::string type;
    for (size_t i = first; i < chars.size(); ++i) {
        std::string c(chars[i]);
        // Only a-z change: a double-byte character is never a letter here.
        if (c.size() == 1 && c[0] >= 'a' && c[0] <= 'z')
            c[0] = static_cast<char>(c[0] - 'a' + 'A');
        type += c;
    }
    return type;
}

void StartShowMusic(ShowTimers& timers)
{
    if (BgmKind == MusicKind::Cd) {
        Guarded([] { CdOpen(); });
        timers.timer2 = true;  // the first check, 200 ms on, starts the disc
    } else if (BgmKind == MusicKind::File) {
        const std::string type = MusicFileType(BgmFile);
        if (type == "WAV")
            Guarded([] { WavPlay(); });
        if (type == "MP3") {
            Guarded([] { Mp3Play(); });
            timers.timer1 = true;
        }
    }
}

void CdCheck(ShowTimers& timers)
{
    CdPoll();  // guards itself: a failing check ends the checks
    timers.timer2 = CdPollActive;
}

void Mp3Check()
{
    Guarded([] { Mp3Poll(); });
}

void StopShowMusic(ShowTimers& timers)
{
    // A CD check that switched itself off after an error leaves the device alone.
    if (timers.timer2) {
        timers.timer2 = false;
        Guarded([] { CdStop(); });
    }
    if (BgmKind == MusicKind::File) {
        const std::string type = MusicFileType(BgmFile);
        if (type == "WAV")
            Guarded([] { WavStop(); });
        if (type == "MP3") {
            timers.timer1 = false;
            Guarded([] { Mp3Stop(); });
        }
    }
}
