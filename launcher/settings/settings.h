// The settings file "Brinefold.ini" and the loading of the in-memory settings
// (BgmKind, BgmRepeatTrack, BgmFile, BgmFolder, KeepResolution).
//
// Each user has a file of their own, %APPDATA%\Brinefold\Brinefold.ini, which
// the settings dialog writes. A "Brinefold.ini" beside the launcher is the
// machine's default, read while the user has no file yet; nothing writes it.
//
// The file is a Windows private-profile file with one section, "Section".
// The key names are the exact Shift-JIS (code page 932) bytes of the Japanese
// names, passed unchanged to the A profile calls, so a file written here is
// byte-for-byte the file a Japanese system writes, whatever the system's own
// code page.
//
// The parsing is portable (LoadSettingsWith); GetIni, PutIni, LoadSettings
// and LoadSettingsFrom are the Win32 side (settings_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// What the show plays. The file stores the number (" 0", " 1", " 2"). A
// hand-edited file may hold any other 16-bit number: it is kept as it is (the
// type holds every int16_t), so the show plays nothing, the dialog selects no
// option, and saving writes the same number back.
enum class MusicKind : int16_t { None = 0, Cd = 1, File = 2 };

// In-memory settings, filled by LoadSettings.
extern MusicKind BgmKind;
extern int16_t BgmRepeatTrack;  // CD track to repeat, 0 for the whole disc
extern std::string BgmFile;     // full path of the music file, or empty
extern std::string BgmFolder;   // where the file chooser opens; never stored
// The show keeps the display's mode instead of switching it to 1024 x 768;
// off unless the file holds a non-zero number.
extern bool KeepResolution;

inline constexpr char kSettingsSection[] = "Section";
inline constexpr char kSettingsFileName[] = "Brinefold.ini";

inline constexpr char kKeyBgmKind[] = "BGM\x8B\xE6\x95\xAA";             // "BGM区分"
inline constexpr char kKeyBgmRepeatTrack[] = "BGM\xD8\xCB\xDF\xB0\xC4";  // "BGMﾘﾋﾟｰﾄ"
inline constexpr char kKeyBgmFile[] = "BGM\xCC\xA7\xB2\xD9";             // "BGMﾌｧｲﾙ"
inline constexpr char kKeyKeepResolution[] = "KeepResolution";           // plain ASCII

// The settings file beside a launcher in this folder (the machine's default).
std::string SettingsFilePath(const std::string& launcherFolder);

// The longest value the reader gives back whole (GetIni's 256-byte buffer).
inline constexpr size_t kLongestSettingsValue = 254;

// One number setting as read from the file: an empty text gives 0; otherwise
// the largest integer not greater than the number (surrounding blanks
// allowed), " 2" -> 2, "2.9" -> 2, "-0.5" -> -1. A text that is not a number,
// or a number outside the 16-bit range, leaves the value as it was.
void ReadSettingNumber(const std::string& text, int16_t& value);

// True for a path that leaves this machine or names a device: a UNC path
// (\\server\share\...), the device and NT forms (\\.\..., \\?\..., \??\...),
// with either kind of slash, and a DOS device name as the last element
// (C:\Music\COM1.mp3, NUL.wav). Opening a file on a share sends the user's
// network credentials to that server.
bool IsRemoteOrDevicePath(const std::string& path);

// LoadSettings with its platform calls passed in: readKey returns the value of
// one key of "Section" in the settings file (empty when missing), fileExists
// is FileExists. Each step runs even if an earlier one failed.
// From the machine's default file (machineWide), which a user may not have
// chosen, a remote or device music path counts as no file.
void LoadSettingsWith(const std::function<std::string(const char* key)>& readKey,
                      const std::function<bool(const std::string& path)>& fileExists, const std::string& launcherFolder,
                      bool machineWide = false);

// --- Win32 ------------------------------------------------------------------

// The value of a key, cut to 255 bytes, or "" when the file, section or key is
// missing (GetPrivateProfileStringA with a 256-byte buffer).
std::string GetIni(const std::string& section, const std::string& key, const std::string& file);

// Writes one key (WritePrivateProfileStringA); the section and key are cut to
// 128 characters. The result goes to LastResult; failures are silent.
void PutIni(const std::string& section, const std::string& key, const std::string& value, const std::string& file);

// What PutIni hands its four texts to: WritePrivateProfileStringA, or a
// stand-in that records them (Wine's profile writer drops a value's leading
// blank, which Windows keeps, so the file cannot show the number form).
// Returns the writer it replaces.
using ProfileWriter = int (*)(const char* section, const char* key, const char* value, const char* file);
ProfileWriter UseProfileWriter(ProfileWriter writer);

// The user's own settings file in the ANSI form the profile calls take (by
// its folder's short name where the long one does not fit that form); the
// folder is made first when `create` is set. Empty when there is no such
// place.
std::string UserSettingsFile(bool create);

// Fills the in-memory settings from the user's settings file, or, while there
// is none, from the one beside the launcher.
void LoadSettings();

// The same for the launcher folder and user file given (LoadSettings passes
// its own).
void LoadSettingsFrom(const std::string& launcherFolder, const std::string& userFile = "");
