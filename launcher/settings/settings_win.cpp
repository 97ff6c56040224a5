// The settings file through the Win32 profile calls (A forms: the key names
// are Shift-JIS bytes and must reach the file unchanged).

#include "launcher/settings/settings.h"

#include "launcher/runtime/paths.h"
#include "launcher/runtime/paths_win.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/user_folder_win.h"
#include "launcher/ui/text_win.h"

#include <windows.h>

std::string GetIni(const std::string& section, const std::string& key, const std::string& file)
{
    char value[256] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, file.c_str());
    return std::string(value);
}

namespace {

// At most 128 characters of a section or key name reach the call.
std::string Field128(const std::string& text)
{
    auto chars = AnsiCharacters(text);
    if (chars.size() <= 128)
        return text;
    return text.substr(0, chars[128].data() - text.data());
}

ProfileWriter profileWriter = [](const char* section, const char* key, const char* value, const char* file) {
    return static_cast<int>(WritePrivateProfileStringA(section, key, value, file));
};

}  // namespace

ProfileWriter UseProfileWriter(ProfileWriter writer)
{
    const ProfileWriter previous = profileWriter;
    profileWriter = writer;
    return previous;
}

void PutIni(const std::string& section, const std::string& key, const std::string& value, const std::string& file)
{
    LastResult = profileWriter(Field128(section).c_str(), Field128(key).c_str(), value.c_str(), file.c_str());
}

std::string UserSettingsFile(bool create)
{
    const std::wstring folder = UserFolder(FOLDERID_RoamingAppData, create);
    if (folder.empty())
        return {};
    if (create) {
        // Made here, the user's and SYSTEM's alone, rather than by the profile
        // call, whose new file would get whatever its folder passes on.
        PrivateSecurity security(false);
        const std::wstring file =
            folder + L"\\" + std::wstring(kSettingsFileName, kSettingsFileName + sizeof kSettingsFileName - 1);
        HANDLE made = security.Attributes() ? CreateFileW(file.c_str(), GENERIC_WRITE, 0, security.Attributes(),
                                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)
                                            : INVALID_HANDLE_VALUE;
        if (made != INVALID_HANDLE_VALUE)
            CloseHandle(made);
    }
    // The folder exists once created; a missing one cannot be shortened, and
    // then nothing is read from it anyway.
    const std::optional<std::string> ansi = AnsiPath(folder, MAX_PATH - sizeof kSettingsFileName - 1);
    return ansi ? InFolder(*ansi, kSettingsFileName) : std::string();
}

void LoadSettingsFrom(const std::string& launcherFolder, const std::string& userFile)
{
    const bool own = !userFile.empty() && FileExists(userFile);
    // No launcher folder (one the A calls cannot name): no machine's default.
    const std::string file = own ? userFile : launcherFolder.empty() ? std::string() : SettingsFilePath(launcherFolder);
    LoadSettingsWith(
        [&](const char* key) { return file.empty() ? std::string() : GetIni(kSettingsSection, key, file); }, FileExists,
        launcherFolder, !own);
}

void LoadSettings()
{
    LoadSettingsFrom(ProgramFolder(), UserSettingsFile(false));
}
