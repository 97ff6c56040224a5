#include "launcher/settings/settings.h"

#include "launcher/runtime/paths.h"
#include "launcher/runtime/runtime.h"

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

void LoadSettingsWith(const std::function<std::string(const char* key)>& readKey,
                      const std::function<bool(const std::string& path)>& fileExists,
                      const std::string& launcherFolder)
{
    Guarded([&] { ReadSettingNumber(readKey(kKeyBgmKind), BgmKind); });
    Guarded([&] { ReadSettingNumber(readKey(kKeyBgmRepeatTrack), BgmRepeatTrack); });
    Guarded([&] {
        // Kind 2 promises a file that could be opened at start-up.
        BgmFile = readKey(kKeyBgmFile);
        if (!BgmFile.empty() && !fileExists(BgmFile))
            BgmFile.clear();
        if (BgmFile.empty() && BgmKind == 2)
            BgmKind = 0;
    });
    Guarded([&] { BgmFolder = BgmFile.empty() ? launcherFolder : FolderOf(BgmFile); });
}
