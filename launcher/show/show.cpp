#include "launcher/show/show.h"

#include <limits>

#include "launcher/music/bgm.h"
#include "launcher/runtime/runtime.h"
#include "launcher/settings/settings.h"

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
        std::string type;
        Guarded([&] { type = MusicFileType(BgmFile); });
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
    Guarded([] { CdPoll(); });
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
        std::string type;
        Guarded([&] { type = MusicFileType(BgmFile); });
        if (type == "WAV")
            Guarded([] { WavStop(); });
        if (type == "MP3") {
            timers.timer1 = false;
            Guarded([] { Mp3Stop(); });
        }
    }
}

size_t SnapshotRowBytes(int32_t width)
{
    if (width <= 0)
        return 0;
    return (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> SnapshotFileHeader(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return {};
    const uint64_t imageBytes = static_cast<uint64_t>(SnapshotRowBytes(width)) * static_cast<uint64_t>(height);
    const uint64_t fileBytes = imageBytes + kSnapshotHeaderBytes;
    if (fileBytes > std::numeric_limits<uint32_t>::max())
        return {};

    std::vector<uint8_t> out;
    out.reserve(kSnapshotHeaderBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(fileBytes));
    Put32(out, 0);  // reserved
    Put32(out, static_cast<uint32_t>(kSnapshotHeaderBytes));
    // BITMAPINFOHEADER: positive height, so the bottom row comes first
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);   // planes
    Put16(out, 24);  // bits per pixel
    Put32(out, 0);   // BI_RGB
    Put32(out, static_cast<uint32_t>(imageBytes));
    Put32(out, 3780);  // 96 dots per inch, in dots per metre
    Put32(out, 3780);
    Put32(out, 0);  // no colour table
    Put32(out, 0);
    return out;
}
