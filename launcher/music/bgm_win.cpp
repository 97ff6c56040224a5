// winmm for Brinefold_BGM: each operation is one narrow (code page) call.
// Does not interpret any reply; that is the module's business.
#include "launcher/music/bgm_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace {

// The text of a platform buffer up to its first NUL. The buffer starts zeroed,
// so a call that writes nothing reads as empty rather than as stale text.
std::string UpToNul(const std::vector<char>& buffer)
{
    size_t n = 0;
    while (n < buffer.size() && buffer[n] != '\0')
        ++n;
    return std::string(buffer.data(), n);
}

int32_t SendString(const std::string& command, uint32_t bufferSize, std::string& reply)
{
    reply.clear();
    if (bufferSize == 0) {
        return static_cast<int32_t>(mciSendStringA(command.c_str(), nullptr, 0, nullptr));
    }
    std::vector<char> buffer(bufferSize, '\0');
    const MCIERROR code = mciSendStringA(command.c_str(), buffer.data(), bufferSize, nullptr);
    reply = UpToNul(buffer);
    return static_cast<int32_t>(code);
}

bool ErrorText(int32_t code, uint32_t bufferSize, std::string& text)
{
    std::vector<char> buffer(bufferSize == 0 ? 1 : bufferSize, '\0');
    const BOOL ok = mciGetErrorStringA(static_cast<MCIERROR>(code), buffer.data(), bufferSize);
    if (!ok)
        return false;
    text = UpToNul(buffer);
    return true;
}

uint32_t WaveOutDevices()
{
    return waveOutGetNumDevs();
}

int32_t PlaySoundName(const char* name, uint32_t flags)
{
    return PlaySoundA(name, nullptr, flags);
}

}  // namespace

BgmPlatform BgmWinmm()
{
    BgmPlatform p;
    p.mciSend = SendString;
    p.mciErrorText = ErrorText;
    p.waveOutDevices = WaveOutDevices;
    p.playSound = PlaySoundName;
    return p;
}
