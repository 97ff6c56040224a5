#include "launcher/music/bgm.h"

#include <optional>

#include "launcher/runtime/runtime.h"
#include "launcher/settings/settings.h"

bool CdPollActive = false;

namespace {

// Nothing plugged in: behave like a machine without multimedia drivers.
BgmPlatform NoPlatform()
{
    BgmPlatform p;
    p.mciSend = [](const std::string&, uint32_t, std::string& reply) {
        reply.clear();
        return BgmNoDriver;
    };
    p.mciErrorText = [](int32_t, uint32_t, std::string&) { return false; };
    p.waveOutDevices = [] { return uint32_t{0}; };
    p.playSound = [](const char*, uint32_t) { return int32_t{0}; };
    return p;
}

BgmPlatform& Platform()
{
    static BgmPlatform platform = NoPlatform();
    return platform;
}

// A command whose reply is not wanted: no buffer.
int32_t SendBare(const std::string& command)
{
    std::string unused;
    return Platform().mciSend(command, 0, unused);
}

bool StartsWith(const std::string& text, const char (&prefix)[8])
{
    return text.compare(0, 7, prefix) == 0;
}

// "ERR" in any case. Device replies are ASCII, so upper-casing a-z is enough.
bool ContainsErr(const std::string& reply)
{
    std::string upper = reply;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper.find("ERR") != std::string::npos;
}

}  // namespace

void BgmUsePlatform(const BgmPlatform& platform)
{
    // An operation left out behaves as if nothing were installed for it.
    const BgmPlatform none = NoPlatform();
    BgmPlatform& p = Platform();
    p.mciSend = platform.mciSend ? platform.mciSend : none.mciSend;
    p.mciErrorText = platform.mciErrorText ? platform.mciErrorText : none.mciErrorText;
    p.waveOutDevices = platform.waveOutDevices ? platform.waveOutDevices : none.waveOutDevices;
    p.playSound = platform.playSound ? platform.playSound : none.playSound;
}

MciResult MciCommand(const std::string& command)
{
    if (command.empty()) {
        return {-1, "コマンド文字列が指定されていません"};
    }
    MciResult result{0, {}};
    std::string reply;
    result.code = Platform().mciSend(command, ReplyBufferSize, reply);
    LastResult = result.code;
    if (result.code != 0) {
        std::string error;
        if (Platform().mciErrorText(result.code, ErrorBufferSize, error)) {
            result.text = error;
        } else {
            result.text = "Error (文字列が取れません)";
        }
    } else {
        result.text = reply;
    }
    return result;
}

std::string MciQuery(const std::string& command)
{
    const MciResult result = MciCommand(command);
    LastResult = result.code;
    if (result.code != 0)
        return "Error:" + std::to_string(result.code);
    return result.text;
}

int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to)
{
    std::string command = "play " + device;
    if (!from.empty())
        command += " from " + from;
    if (!to.empty())
        command += " to " + to;
    return MciCommand(command).code;
}

void CdOpen()
{
    LastResult = SendBare("open cdaudio");
    LastResult = SendBare("set cdaudio time format tmsf");
}

void CdPoll()
{
    CdPollActive = true;
    // A check that fails ends the checks, as an MCI error does.
    const bool ran = Guarded([] {
        const std::string current = MciQuery("status cdaudio current track");
        if (ContainsErr(current)) {
            CdPollActive = false;
            return;
        }
        // Only asked to tell a drive without a disc; the count itself is not used.
        const std::string count = MciQuery("status cdaudio number of tracks");
        if (ContainsErr(count)) {
            CdPollActive = false;
            return;
        }
        std::string mode;
        LastResult = Platform().mciSend("status cdaudio mode", CdModeBufferSize, mode);
        const bool stopped = StartsWith(mode, "stopped");

        if (BgmRepeatTrack != 0) {
            // The track is read even when the disc is stopped: a reply that is
            // no number ends the checks either way.
            const std::optional<double> track = WholeNumber(current);
            if (!track) {
                CdPollActive = false;
                return;
            }
            if (stopped || *track != BgmRepeatTrack) {
                // A failing query yields "Error:<code>", which the device
                // refuses as a position; the next check tries again.
                const std::string start = MciQuery("status cdaudio position track " + std::to_string(BgmRepeatTrack));
                MciPlay("cdaudio", start, "");
            }
        } else if (stopped) {
            MciPlay("cdaudio", "", "");
        }
    });
    if (!ran)
        CdPollActive = false;
}

void CdStop()
{
    LastResult = SendBare("stop cdaudio");
    LastResult = SendBare("close cdaudio");
}

void Mp3Play()
{
    // Quoted so that a path with spaces stays one file name.
    if (SendBare("open \"" + BgmFile + "\" type MPEGVideo Alias MP3Play") == 0) {
        SendBare("play MP3Play");
    }
}

bool Mp3IsPlaying()
{
    std::string mode;
    Platform().mciSend("status MP3Play mode", Mp3ModeBufferSize, mode);
    return StartsWith(mode, "playing");
}

void Mp3Poll()
{
    if (Mp3IsPlaying())
        return;
    // Stop first: a file that ended by itself and is only told to play from 0
    // plays but keeps reporting "stopped".
    SendBare("stop MP3Play");
    SendBare("play MP3Play from 0");
}

void Mp3Stop()
{
    SendBare("stop MP3Play");
    SendBare("close MP3Play");
}

void WavPlay()
{
    if (Platform().waveOutDevices() == 0)
        return;
    LastResult = Platform().playSound(BgmFile.c_str(), SndAsync | SndNoDefault | SndLoop);
}

void WavStop()
{
    LastResult = Platform().playSound(nullptr, 0);
}
