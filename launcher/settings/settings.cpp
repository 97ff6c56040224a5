#include "launcher/settings/settings.h"

#include "launcher/runtime/paths.h"
#include "launcher/runtime/runtime.h"

MusicKind BgmKind = MusicKind::None;
int16_t BgmRepeatTrack = 0;
std::string BgmFile;
std::string BgmFolder;
bool KeepResolution = false;

std::string SettingsFilePath(const std::string& launcherFolder)
{
    return InFolder(launcherFolder, kSettingsFileName);
}

void ReadSettingNumber(const std::string& text, int16_t& value)
{
    if (text.empty()) {
        value = 0;
        return;
    }
    value = CInt(Int(NumberOf(text)));
}

namespace {

// Windows opens a device for a last path element named CON, PRN, AUX, NUL,
// COM1-9 or LPT1-9 (any case), whatever follows a "." and with blanks before
// it: C:\Music\COM1.mp3 and NUL .wav are devices.
bool NamesDosDevice(const std::string& path)
{
    const size_t start = path.find_last_of("\\/:") + 1;  // npos + 1 is 0
    std::string name = path.substr(start, path.find('.', start) - start);
    name.erase(name.find_last_not_of(' ') + 1);
    for (char& c : name)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL")
        return true;
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

}  // namespace

bool IsRemoteOrDevicePath(const std::string& path)
{
    auto separator = [&](size_t k) { return k < path.size() && (path[k] == '\\' || path[k] == '/'); };
    return (separator(0) && separator(1)) || path.rfind("\\??\\", 0) == 0 || NamesDosDevice(path);
}

void LoadSettingsWith(const std::function<std::string(const char* key)>& readKey,
                      const std::function<bool(const std::string& path)>& fileExists, const std::string& launcherFolder,
                      bool machineWide)
{
    Guarded([&] {
        auto kind = static_cast<int16_t>(BgmKind);
        ReadSettingNumber(readKey(kKeyBgmKind), kind);
        BgmKind = static_cast<MusicKind>(kind);
    });
    Guarded([&] { ReadSettingNumber(readKey(kKeyBgmRepeatTrack), BgmRepeatTrack); });
    Guarded([&] {
        // A music file promises a file that could be opened at start-up.
        BgmFile = readKey(kKeyBgmFile);
        if (machineWide && IsRemoteOrDevicePath(BgmFile))
            BgmFile.clear();
        if (!BgmFile.empty() && !fileExists(BgmFile))
            BgmFile.clear();
        if (BgmFile.empty() && BgmKind == MusicKind::File)
            BgmKind = MusicKind::None;
    });
    BgmFolder = BgmFile.empty() ? launcherFolder : FolderOf(BgmFile);
    // Missing, empty or not a number: off, whatever it was before.
    int16_t keep = 0;
    Guarded([&] { ReadSettingNumber(readKey(kKeyKeepResolution), keep); });
    KeepResolution = keep != 0;
}
